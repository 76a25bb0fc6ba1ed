#pragma once

#include <memory>

#include "src/framework/model/QRVModel.h"

namespace api {

// A photo of a photo album.
class PhotoModel final : public framework::QRVModel<PhotoModel> {
 public:
  static constexpr const char* kClassName = "PhotoModel";
  static const framework::QRVModelProperties<PhotoModel>& properties();

  QRV_TEXT_PROPERTY(palbumId, PalbumId)
  QRV_TEXT_PROPERTY(photoId, PhotoId)
  QRV_TEXT_PROPERTY(photoName, PhotoName)
  QRV_TEXT_PROPERTY(uid, Uid)
  QRV_TEXT_PROPERTY(status, Status)
  QRV_TEXT_PROPERTY(photoUrl, PhotoUrl)
};

using PhotoModelPtr = std::shared_ptr<PhotoModel>;

}  // namespace api
