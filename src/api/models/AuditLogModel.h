#pragma once

#include <memory>

#include "src/api/models/UserModel.h"
#include "src/framework/model/QRVModel.h"

namespace api {

// One audit decision on a programme.
class AuditLogModel final : public framework::QRVModel<AuditLogModel> {
 public:
  static constexpr const char* kClassName = "AuditLogModel";
  static const framework::QRVModelProperties<AuditLogModel>& properties();

  QRV_TEXT_PROPERTY(auditId, AuditId)
  QRV_TEXT_PROPERTY(auditLog, AuditLog)
  QRV_TEXT_PROPERTY(auditLogId, AuditLogId)
  QRV_TEXT_PROPERTY(auditStatus, AuditStatus)
  QRV_TEXT_PROPERTY(auditType, AuditType)
  QRV_TEXT_PROPERTY(createTime, CreateTime)
  QRV_TEXT_PROPERTY(uid, Uid)
  QRV_MODEL_PROPERTY(UserModelPtr, user, User)
};

using AuditLogModelPtr = std::shared_ptr<AuditLogModel>;

}  // namespace api
