#include "src/api/models/LocationModel.h"

#include "platform/foundation/NoDestructor.h"

namespace api {

const framework::QRVModelProperties<LocationModel>& LocationModel::properties() {
  static const foundation::NoDestructor<framework::QRVModelProperties<LocationModel>> table(
      framework::QRVModelProperties<LocationModel>()
          .text("city", &LocationModel::city_)
          .text("date_y", &LocationModel::date_y_)
          .text("week", &LocationModel::week_)
          .text("temp", "temp1", &LocationModel::temp_)
          .text("tempF1", &LocationModel::tempF1_)
          .text("weather1", &LocationModel::weather1_)
          .text("fx1", &LocationModel::fx1_)
          .text("fl1", &LocationModel::fl1_)
          .text("index", &LocationModel::index_)
          .text("index_d", &LocationModel::index_d_));
  return *table;
}

}  // namespace api
