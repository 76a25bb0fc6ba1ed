#pragma once

#include <string>

#include "platform/foundation/Value.h"

namespace framework {

// The outcome a reply states in its "result" → "code" entry: 1 is a failure, anything else
// (including no code at all) a success. Web-API replies carry their real outcome in "err".
class QRVRequestResult {
 public:
  // Any thread. Code 1 only for the text "1"; a number, a missing value or other text give 0.
  QRVRequestResult(const foundation::Value& code, std::string message);

  int code() const { return code_; }
  const std::string& message() const { return message_; }

  bool isSuccess() const { return code_ == 0; }
  // Main thread. An alert "提示" with the message and one button "确定"; nothing for an empty message.
  void showErrorMessage() const;

 private:
  int code_;
  std::string message_;
};

}  // namespace framework
