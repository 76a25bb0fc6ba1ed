#include "src/api/models/AuditLogModel.h"

#include "platform/foundation/NoDestructor.h"

namespace api {

const framework::QRVModelProperties<AuditLogModel>& AuditLogModel::properties() {
  static const foundation::NoDestructor<framework::QRVModelProperties<AuditLogModel>> table(
      framework::QRVModelProperties<AuditLogModel>()
          .text("auditId", "audit_id", &AuditLogModel::auditId_)
          .text("auditLog", "audit_log", &AuditLogModel::auditLog_)
          .text("auditLogId", "audit_log_id", &AuditLogModel::auditLogId_)
          .text("auditStatus", "audit_status", &AuditLogModel::auditStatus_)
          .text("auditType", "audit_type", &AuditLogModel::auditType_)
          .text("createTime", "create_time", &AuditLogModel::createTime_)
          .text("uid", &AuditLogModel::uid_));
  return *table;
}

}  // namespace api
