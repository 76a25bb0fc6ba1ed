#pragma once

#include <memory>

#include "src/framework/model/QRVModel.h"

namespace api {

// A recommended application.
class ADModel final : public framework::QRVModel<ADModel> {
 public:
  static constexpr const char* kClassName = "ADModel";
  static const framework::QRVModelProperties<ADModel>& properties();

  QRV_TEXT_PROPERTY(name, Name)
  QRV_TEXT_PROPERTY(desc, Desc)
  QRV_TEXT_PROPERTY(img, Img)
  QRV_TEXT_PROPERTY(icon, Icon)
  QRV_TEXT_PROPERTY(link, Link)
};

using ADModelPtr = std::shared_ptr<ADModel>;

}  // namespace api
