#pragma once

#include <string>
#include <string_view>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace api {

// The folder "requestCache" in the Caches folder, where request classes keep their last reply so
// that screens can be drawn from it at once, also without a network. Everything here is only a
// cache: a missing or damaged file reads as an error and the caller carries on without it.
// Every write replaces its file atomically. Main thread only.
class RequestCacheFolder {
 public:
  static constexpr const char* kFolderName = "requestCache";

  // Main thread. The folder, created (without intermediate folders) when missing.
  static std::string path();
  // Main thread. The path of one of its files.
  static std::string pathOf(std::string_view fileName);

  // Main thread. The property list in the file.
  static foundation::Result<foundation::Value> readPropertyList(std::string_view fileName);
  // Main thread. Writes the value as a property list. Nulls, which a property list cannot hold,
  // are left out: a reader sees a missing key or entry, which is what a null means in a reply.
  static foundation::Status writePropertyList(std::string_view fileName, const foundation::Value& value);

  // Main thread. The file's bytes, and writing them.
  static foundation::Result<foundation::Bytes> readData(std::string_view fileName);
  static foundation::Status writeData(std::string_view fileName, const foundation::Bytes& bytes);

  // Any thread. The value without nulls, at any depth.
  static foundation::Value withoutNulls(const foundation::Value& value);

 private:
  // The file's path, or an error for a name that is not one safe path component.
  static foundation::Result<std::string> checkedPathOf(std::string_view fileName);
};

}  // namespace api
