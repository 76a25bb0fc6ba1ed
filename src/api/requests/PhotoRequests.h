#pragma once

#include "src/api/models/PhotoModel.h"
#include "src/api/requests/ApiRequestClass.h"
#include "src/api/requests/ResultSteps.h"

// The request classes of module "photo": one row of the endpoint table each.
namespace api {

class ListUserPAlbumRequest final : public ApiRequestClass<ListUserPAlbumRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"photo.listUserPAlbums", ApiVerb::get, &result_steps::userPhotoAlbums};
};

class ListPAlbumPhotosRequest final : public ApiRequestClass<ListPAlbumPhotosRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"photo.listPAlbumPhotos", ApiVerb::get,
                                         &result_steps::modelListWithTotal<PhotoModel>};
};

class AddPAlbumRequest final : public ApiRequestClass<AddPAlbumRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"photo._addPAlbum", ApiVerb::post, &result_steps::dataAsPAlbumId};
};

class EditPAlbumRequest final : public ApiRequestClass<EditPAlbumRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"photo._editPAlbum", ApiVerb::post, &result_steps::errAsOk};
};

class DelPAlbumRequest final : public ApiRequestClass<DelPAlbumRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"photo._delPAlbum", ApiVerb::post, &result_steps::errAsOk};
};

class SetPAlbumsOrderRequest final : public ApiRequestClass<SetPAlbumsOrderRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"photo._setPAlbumsOrder", ApiVerb::post, &result_steps::errAsOk};
};

class AddPalbumPhotoRequest final : public ApiRequestClass<AddPalbumPhotoRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"photo._addPAlbumPhoto", ApiVerb::post, &result_steps::errAsOk};
};

class DelPAlbumPhotoRequest final : public ApiRequestClass<DelPAlbumPhotoRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"photo._delPAlbumPhoto", ApiVerb::post, &result_steps::errAsOk};
};

}  // namespace api
