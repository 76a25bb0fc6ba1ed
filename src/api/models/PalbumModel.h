#pragma once

#include <memory>

#include "src/api/models/UserModel.h"
#include "src/framework/model/QRVModel.h"

namespace api {

// A user's photo album.
class PalbumModel final : public framework::QRVModel<PalbumModel> {
 public:
  static constexpr const char* kClassName = "PalbumModel";
  static const framework::QRVModelProperties<PalbumModel>& properties();

  QRV_TEXT_PROPERTY(palbumId, PalbumId)
  QRV_TEXT_PROPERTY(palbumDesc, PalbumDesc)
  QRV_TEXT_PROPERTY(palbumName, PalbumName)
  QRV_TEXT_PROPERTY(uid, Uid)
  QRV_TEXT_PROPERTY(picNum, PicNum)
  QRV_TEXT_PROPERTY(palbumSetting, PalbumSetting)
  QRV_TEXT_PROPERTY(status, Status)
  QRV_TEXT_PROPERTY(picUrl, PicUrl)
  QRV_MODEL_PROPERTY(UserModelPtr, user, User)
};

using PalbumModelPtr = std::shared_ptr<PalbumModel>;

}  // namespace api
