#pragma once

#include <memory>

#include "src/framework/model/QRVModel.h"

namespace api {

// A genre tag of the catalogue.
class GenresModel final : public framework::QRVModel<GenresModel> {
 public:
  static constexpr const char* kClassName = "GenresModel";
  static const framework::QRVModelProperties<GenresModel>& properties();

  QRV_TEXT_PROPERTY(tagId, TagId)
  QRV_TEXT_PROPERTY(tagName, TagName)
  QRV_TEXT_PROPERTY(tcateId, TcateId)
  QRV_TEXT_PROPERTY(status, Status)
  QRV_TEXT_PROPERTY(tagFullName, TagFullName)
};

using GenresModelPtr = std::shared_ptr<GenresModel>;

}  // namespace api
