#include "platform/foundation/Error.h"

#include <cstring>

namespace foundation {

Error::Error(std::string domain, long long code, std::string description, std::shared_ptr<const Error> underlying)
    : domain_(std::move(domain)),
      code_(code),
      description_(std::move(description)),
      underlying_(std::move(underlying)) {}

std::string Error::debugText() const {
  std::string text = domain_ + " " + std::to_string(code_) + ": " + description_;
  if (underlying_) text += " (caused by " + underlying_->debugText() + ")";
  return text;
}

ErrorPtr makeError(std::string domain, long long code, std::string description, ErrorPtr underlying) {
  return std::make_shared<const Error>(std::move(domain), code, std::move(description), std::move(underlying));
}

ErrorPtr posixError(int errnoValue, const std::string& whatFailed) {
  return makeError(kPOSIXErrorDomain, errnoValue, whatFailed + ": " + std::strerror(errnoValue));
}

}  // namespace foundation
