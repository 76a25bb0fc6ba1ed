#include "src/api/models/UserModel.h"

#include "platform/foundation/NoDestructor.h"
#include "src/framework/cache/DataCacheManager.h"

namespace api {

const framework::QRVModelProperties<UserModel>& UserModel::properties() {
  static const foundation::NoDestructor<framework::QRVModelProperties<UserModel>> table(
      framework::QRVModelProperties<UserModel>()
          .text("createIp", "create_ip", &UserModel::createIp_)
          .text("createTime", "create_time", &UserModel::createTime_)
          .text("email", &UserModel::email_)
          .text("lastLogIp", "last_log_ip", &UserModel::lastLogIp_)
          .text("lastLogTime", "last_log_time", &UserModel::lastLogTime_)
          .text("picId", "pic_id", &UserModel::picId_)
          .text("status", &UserModel::status_)
          .text("uid", &UserModel::uid_)
          .text("uname", &UserModel::uname_)
          .text("userType", "user_type", &UserModel::userType_)
          .text("validataion", &UserModel::validataion_)
          .text("picUrl", "pic_url", &UserModel::picUrl_)
          .text("luid", &UserModel::luid_)
          .text("unote", &UserModel::unote_)
          .text("priAuditProgram", "pri_audit_program", &UserModel::priAuditProgram_)
          .text("priCreateProgram", "pri_create_program", &UserModel::priCreateProgram_)
          .text("priItemEdit", "pri_item_edit", &UserModel::priItemEdit_)
          .text("priItemView", "pri_item_view", &UserModel::priItemView_)
          .text("priUserPage", "pri_user_page", &UserModel::priUserPage_));
  return *table;
}

UserModelPtr UserModel::getUser() {
  return framework::DataCacheManager::sharedManager()
      .getCachedObjectByKey(framework::kUserIsLoginCacheKey)
      .objectAs<UserModel>();
}

std::string UserModel::getLoginUserId() {
  UserModelPtr user = getUser();
  return user && user->luid() ? *user->luid() : std::string();
}

std::string UserModel::getUserId() {
  UserModelPtr user = getUser();
  return user && user->uid() ? *user->uid() : std::string();
}

}  // namespace api
