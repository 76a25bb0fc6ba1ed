#include "src/api/models/RadioModel.h"

namespace api {

const framework::QRVModelProperties<RadioModel>& RadioModel::properties() {
  static const auto table = framework::QRVModelProperties<RadioModel>()
                                .text("radioId", "radio_id", &RadioModel::radioId_)
                                .text("radioName", "radio_name", &RadioModel::radioName_);
  return table;
}

}  // namespace api
