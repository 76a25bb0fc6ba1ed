#include "src/api/models/GenresModel.h"

#include "platform/foundation/NoDestructor.h"

namespace api {

const framework::QRVModelProperties<GenresModel>& GenresModel::properties() {
  static const foundation::NoDestructor<framework::QRVModelProperties<GenresModel>> table(
      framework::QRVModelProperties<GenresModel>()
          .text("tagId", "tag_id", &GenresModel::tagId_)
          .text("tagName", "tag_name", &GenresModel::tagName_)
          .text("tcateId", "tcate_id", &GenresModel::tcateId_)
          .text("status", &GenresModel::status_)
          .text("tagFullName", "tag_fullname", &GenresModel::tagFullName_));
  return *table;
}

}  // namespace api
