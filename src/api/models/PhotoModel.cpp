#include "src/api/models/PhotoModel.h"

#include "platform/foundation/NoDestructor.h"

namespace api {

const framework::QRVModelProperties<PhotoModel>& PhotoModel::properties() {
  static const foundation::NoDestructor<framework::QRVModelProperties<PhotoModel>> table(
      framework::QRVModelProperties<PhotoModel>()
          .text("palbumId", "palbum_id", &PhotoModel::palbumId_)
          .text("photoId", "photo_id", &PhotoModel::photoId_)
          .text("photoName", "photo_name", &PhotoModel::photoName_)
          .text("uid", &PhotoModel::uid_)
          .text("status", &PhotoModel::status_)
          .text("photoUrl", "photo_url", &PhotoModel::photoUrl_));
  return *table;
}

}  // namespace api
