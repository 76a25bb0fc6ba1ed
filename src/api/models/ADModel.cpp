#include "src/api/models/ADModel.h"

#include "platform/foundation/NoDestructor.h"

namespace api {

const framework::QRVModelProperties<ADModel>& ADModel::properties() {
  static const foundation::NoDestructor<framework::QRVModelProperties<ADModel>> table(
      framework::QRVModelProperties<ADModel>()
          .text("name", &ADModel::name_)
          .text("desc", &ADModel::desc_)
          .text("img", &ADModel::img_)
          .text("icon", &ADModel::icon_)
          .text("link", "ios", &ADModel::link_));
  return *table;
}

}  // namespace api
