#pragma once

#include <cassert>
#include <optional>
#include <utility>

#include "platform/foundation/Error.h"

namespace foundation {

// Either a value or the error that prevented it. Used where a call can fail and the caller
// must look: reading files, parsing replies, decoding archives.
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}
  Result(ErrorPtr error) : error_(std::move(error)) { assert(error_); }

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }

  T& value() & {
    assert(ok());
    return *value_;
  }
  const T& value() const& {
    assert(ok());
    return *value_;
  }
  T&& value() && {
    assert(ok());
    return std::move(*value_);
  }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }

  const ErrorPtr& error() const { return error_; }

 private:
  std::optional<T> value_;
  ErrorPtr error_;
};

// For calls that return nothing on success.
class [[nodiscard]] Status {
 public:
  Status() = default;
  Status(ErrorPtr error) : error_(std::move(error)) {}
  static Status success() { return Status(); }

  bool ok() const { return error_ == nullptr; }
  explicit operator bool() const { return ok(); }
  const ErrorPtr& error() const { return error_; }

 private:
  ErrorPtr error_;
};

}  // namespace foundation
