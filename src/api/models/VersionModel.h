#pragma once

#include <memory>

#include "src/framework/model/QRVModel.h"

namespace api {

// A notice of a newer version of the application.
class VersionModel final : public framework::QRVModel<VersionModel> {
 public:
  static constexpr const char* kClassName = "VersionModel";
  static const framework::QRVModelProperties<VersionModel>& properties();

  QRV_TEXT_PROPERTY(newv, Newv)
  QRV_TEXT_PROPERTY(update, Update)
  QRV_TEXT_PROPERTY(url, Url)
  QRV_TEXT_PROPERTY(info, Info)
};

using VersionModelPtr = std::shared_ptr<VersionModel>;

}  // namespace api
