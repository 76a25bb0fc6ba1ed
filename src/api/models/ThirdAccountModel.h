#pragma once

#include <memory>

#include "src/framework/model/QRVModel.h"

namespace api {

// A social-network account bound to the user.
class ThirdAccountModel final : public framework::QRVModel<ThirdAccountModel> {
 public:
  static constexpr const char* kClassName = "ThirdAccountModel";
  static const framework::QRVModelProperties<ThirdAccountModel>& properties();

  QRV_TEXT_PROPERTY(accessToken, AccessToken)
  QRV_TEXT_PROPERTY(expires, Expires)
  QRV_TEXT_PROPERTY(nickname, Nickname)
  QRV_TEXT_PROPERTY(photo, Photo)
  QRV_TEXT_PROPERTY(status, Status)
  QRV_TEXT_PROPERTY(thirdId, ThirdId)
  QRV_TEXT_PROPERTY(thirdType, ThirdType)
  QRV_TEXT_PROPERTY(uid, Uid)
};

using ThirdAccountModelPtr = std::shared_ptr<ThirdAccountModel>;

}  // namespace api
