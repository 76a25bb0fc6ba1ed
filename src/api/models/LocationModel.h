#pragma once

#include <memory>

#include "src/framework/model/QRVModel.h"

namespace api {

// The weather at the user's place.
class LocationModel final : public framework::QRVModel<LocationModel> {
 public:
  static constexpr const char* kClassName = "LocationModel";
  static const framework::QRVModelProperties<LocationModel>& properties();

  QRV_TEXT_PROPERTY(city, City)
  QRV_TEXT_PROPERTY(date_y, Date_y)
  QRV_TEXT_PROPERTY(week, Week)
  QRV_TEXT_PROPERTY(temp, Temp)
  QRV_TEXT_PROPERTY(tempF1, TempF1)
  QRV_TEXT_PROPERTY(weather1, Weather1)
  QRV_TEXT_PROPERTY(fx1, Fx1)
  QRV_TEXT_PROPERTY(fl1, Fl1)
  QRV_TEXT_PROPERTY(index, Index)
  QRV_TEXT_PROPERTY(index_d, Index_d)
};

using LocationModelPtr = std::shared_ptr<LocationModel>;

}  // namespace api
