#include "src/api/models/RadioModel.h"

#include "platform/foundation/NoDestructor.h"

namespace api {

const framework::QRVModelProperties<RadioModel>& RadioModel::properties() {
  static const foundation::NoDestructor<framework::QRVModelProperties<RadioModel>> table(
      framework::QRVModelProperties<RadioModel>()
          .text("radioId", "radio_id", &RadioModel::radioId_)
          .text("radioName", "radio_name", &RadioModel::radioName_));
  return *table;
}

}  // namespace api
