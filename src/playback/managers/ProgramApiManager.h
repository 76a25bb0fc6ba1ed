#pragma once

#include <string>

#include "src/framework/request/DataRequestDelegate.h"

namespace playback {

// A user's actions on a programme in one call each: keeping it for offline play, collecting it
// and auditing it. Each posts the notifications that keep open screens in step and confirms
// with a toast. Main thread only.
class ProgramApiManager : public framework::DataRequestDelegate {
 public:
  static constexpr const char* kProgramIsCollected = "ProgramIsCollected";
  static constexpr const char* kProgramIsCancelCollected = "ProgramIsCancelCollected";
  static constexpr const char* kProgramAuditPass = "notificationProgramAuditPass";
  static constexpr const char* kProgramAuditFail = "notificationProgramAuditFail";

  static void syncProgram(const std::string& programId, bool sync);
  static void subscribeProgram(const std::string& programId, bool subscribe);
  static void auditProgram(const std::string& programId, const std::string& note, bool audit);
};

}  // namespace playback
