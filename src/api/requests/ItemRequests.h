#pragma once

#include "src/api/models/ArtistModel.h"
#include "src/api/models/SAlbumModel.h"
#include "src/api/models/SongModel.h"
#include "src/api/requests/ApiRequestClass.h"
#include "src/api/requests/ResultSteps.h"

// The request classes of modules "item" and "search": one row of the endpoint table each.
namespace api {

class GetArtistRequest final : public ApiRequestClass<GetArtistRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"item.getArtist", ApiVerb::get, &result_steps::artist};
};

class ListSAlbumSongs final : public ApiRequestClass<ListSAlbumSongs> {
 public:
  static constexpr ApiEndpoint kEndpoint{"item.listSAlbumSongs", ApiVerb::get, &result_steps::salbumSongs};
};

class SAlbumRequest final : public ApiRequestClass<SAlbumRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"item.listArtistSAlbums", ApiVerb::get, &result_steps::salbumsOfLists};
};

class ListArtistSAlbumsRequest final : public ApiRequestClass<ListArtistSAlbumsRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"item.listArtistSAlbums", ApiVerb::get,
                                         &result_steps::modelListWithTotal<SAlbumModel>};
};

class ListArtistSongsRequest final : public ApiRequestClass<ListArtistSongsRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"item.listArtistSongs", ApiVerb::get,
                                         &result_steps::modelListWithTotal<SongModel>};
};

class GetSAlbumDetailRequest final : public ApiRequestClass<GetSAlbumDetailRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"item.getSAlbumDetail", ApiVerb::get, &result_steps::salbumDetail};
};

class ListNewSAlbumsRequest final : public ApiRequestClass<ListNewSAlbumsRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"item.listNewSAlbums", ApiVerb::get, &result_steps::addedSAlbums};
};

class ListGenreSALbumsRequest final : public ApiRequestClass<ListGenreSALbumsRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"item.listGenreSALbums", ApiVerb::get, &result_steps::addedSAlbums};
};

class GetGenresRequest final : public ApiRequestClass<GetGenresRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"item.getGenres", ApiVerb::get, &result_steps::genres};
};

class AllRequest final : public ApiRequestClass<AllRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"search.all", ApiVerb::get, &result_steps::searchAll};
};

class ArtistSearchRequest final : public ApiRequestClass<ArtistSearchRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"search.artist", ApiVerb::get, &result_steps::modelListWithTotal<ArtistModel>};
};

class ProgramSearchRequest final : public ApiRequestClass<ProgramSearchRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"search.program", ApiVerb::get, &result_steps::listPattern};
};

class SalbumSearchRequest final : public ApiRequestClass<SalbumSearchRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"search.salbum", ApiVerb::get, &result_steps::modelListWithTotal<SAlbumModel>};
};

class SongSearchRequest final : public ApiRequestClass<SongSearchRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"search.song", ApiVerb::get, &result_steps::modelListWithTotal<SongModel>};
};

class AddRecommendSalbumCollectionRequest final : public ApiRequestClass<AddRecommendSalbumCollectionRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"item._setNewSAlbum", ApiVerb::post, &result_steps::dataAsDic};
};

class AddCancelRecommendSalbumCollectionRequest final
    : public ApiRequestClass<AddCancelRecommendSalbumCollectionRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"user._collectSAlbum", ApiVerb::post, &result_steps::dataAsDic};
};

class AddDownSalbumCollectionRequest final : public ApiRequestClass<AddDownSalbumCollectionRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"item._activeSAlbum", ApiVerb::post, &result_steps::dataAsDic};
};

class AddUpSalbumCollectionRequest final : public ApiRequestClass<AddUpSalbumCollectionRequest> {
 public:
  static constexpr ApiEndpoint kEndpoint{"item._activeSAlbum", ApiVerb::post, &result_steps::dataAsDic};
};

}  // namespace api
