#pragma once

#include <memory>
#include <string>

#include "platform/ui/Image.h"
#include "src/framework/model/QRVModel.h"

namespace api {

// A user; the one cached under "userIsLogin" is the logged-in user.
class UserModel final : public framework::QRVModel<UserModel> {
 public:
  static constexpr const char* kClassName = "UserModel";
  static const framework::QRVModelProperties<UserModel>& properties();

  // The logged-in user kept in the data cache, or nullptr when nobody is logged in.
  static std::shared_ptr<UserModel> getUser();
  // The logged-in user's "luid" and "uid"; empty when nobody is logged in.
  static std::string getLoginUserId();
  static std::string getUserId();

  QRV_TEXT_PROPERTY(createIp, CreateIp)
  QRV_TEXT_PROPERTY(createTime, CreateTime)
  QRV_TEXT_PROPERTY(email, Email)
  QRV_TEXT_PROPERTY(lastLogIp, LastLogIp)
  QRV_TEXT_PROPERTY(lastLogTime, LastLogTime)
  QRV_TEXT_PROPERTY(picId, PicId)
  QRV_TEXT_PROPERTY(status, Status)
  QRV_TEXT_PROPERTY(uid, Uid)
  QRV_TEXT_PROPERTY(uname, Uname)
  QRV_TEXT_PROPERTY(userType, UserType)
  QRV_TEXT_PROPERTY(validataion, Validataion)
  QRV_TEXT_PROPERTY(picUrl, PicUrl)
  QRV_TEXT_PROPERTY(luid, Luid)
  QRV_TEXT_PROPERTY(unote, Unote)
  // A portrait kept in memory only.
  QRV_MODEL_PROPERTY(ui::ImagePtr, headerImage, HeaderImage)
  // Rights: "1" granted.
  QRV_TEXT_PROPERTY(priAuditProgram, PriAuditProgram)
  QRV_TEXT_PROPERTY(priCreateProgram, PriCreateProgram)
  QRV_TEXT_PROPERTY(priItemEdit, PriItemEdit)
  QRV_TEXT_PROPERTY(priItemView, PriItemView)
  QRV_TEXT_PROPERTY(priUserPage, PriUserPage)
};

using UserModelPtr = std::shared_ptr<UserModel>;

}  // namespace api
