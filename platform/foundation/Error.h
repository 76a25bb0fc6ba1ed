#pragma once

#include <memory>
#include <string>

namespace foundation {

// A failure as a value: which subsystem reported it (domain), its number there (code), a
// sentence for people (description) and, optionally, the lower-level failure that caused it.
// Immutable once made; safe to share between threads.
class Error {
 public:
  Error(std::string domain, long long code, std::string description, std::shared_ptr<const Error> underlying = nullptr);

  const std::string& domain() const { return domain_; }
  long long code() const { return code_; }
  const std::string& description() const { return description_; }
  const std::shared_ptr<const Error>& underlying() const { return underlying_; }

  bool is(const std::string& domain, long long code) const { return domain_ == domain && code_ == code; }

  // "domain code: description", followed by the underlying chain; for logs and test output.
  std::string debugText() const;

 private:
  std::string domain_;
  long long code_;
  std::string description_;
  std::shared_ptr<const Error> underlying_;
};

using ErrorPtr = std::shared_ptr<const Error>;

ErrorPtr makeError(std::string domain, long long code, std::string description, ErrorPtr underlying = nullptr);

// Domains used by the platform layer itself.
inline constexpr const char* kPOSIXErrorDomain = "NSPOSIXErrorDomain";
inline constexpr const char* kFoundationErrorDomain = "FoundationErrorDomain";

// An error for the current errno (or the given one), naming what was being done.
ErrorPtr posixError(int errnoValue, const std::string& whatFailed);

}  // namespace foundation
