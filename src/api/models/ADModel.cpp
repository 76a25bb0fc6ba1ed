#include "src/api/models/ADModel.h"

namespace api {

const framework::QRVModelProperties<ADModel>& ADModel::properties() {
  static const auto table = framework::QRVModelProperties<ADModel>()
                                .text("name", &ADModel::name_)
                                .text("desc", &ADModel::desc_)
                                .text("img", &ADModel::img_)
                                .text("icon", &ADModel::icon_)
                                .text("link", "ios", &ADModel::link_);
  return table;
}

}  // namespace api
