#include "src/api/models/VersionModel.h"

#include "platform/foundation/NoDestructor.h"

namespace api {

const framework::QRVModelProperties<VersionModel>& VersionModel::properties() {
  static const foundation::NoDestructor<framework::QRVModelProperties<VersionModel>> table(
      framework::QRVModelProperties<VersionModel>()
          .text("newv", &VersionModel::newv_)
          .text("update", &VersionModel::update_)
          .text("url", &VersionModel::url_)
          .text("info", &VersionModel::info_));
  return *table;
}

}  // namespace api
