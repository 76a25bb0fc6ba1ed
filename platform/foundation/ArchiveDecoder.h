#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace foundation {

// What a registered factory reads an archived object back from: the values its encode() wrote,
// already decoded (nested objects made by their own factories). A decoding call that meets a
// value of the wrong kind, or an explicit fail(), makes the whole unarchiving fail.
class ArchiveDecoder {
 public:
  ArchiveDecoder(const ArchiveDecoder&) = delete;
  ArchiveDecoder& operator=(const ArchiveDecoder&) = delete;

  // Thread of the unarchiving call. The name the object was archived under.
  const std::string& className() const { return className_; }

  // Thread of the unarchiving call. True when a value was stored under the key.
  bool containsValue(std::string_view key) const { return fields_.contains(key); }

  // Thread of the unarchiving call. The value under the key, null when there is none.
  const Value& decodeObject(std::string_view key) const { return fields_[key]; }

  // Thread of the unarchiving call. The text under the key; nullopt when there is none, and
  // nullopt plus failure when the value is not text.
  std::optional<std::string> decodeString(std::string_view key);

  // Thread of the unarchiving call. The object under the key; nullptr when there is none, and
  // nullptr plus failure when the value is not an object of class T.
  template <class T>
  std::shared_ptr<T> decodeObjectOfClass(std::string_view key) {
    const Value& value = decodeObject(key);
    if (value.isNull()) return nullptr;
    auto object = value.objectAs<T>();
    if (!object) wrongKind(key, "an object of the expected class");
    return object;
  }

  // Thread of the unarchiving call. The objects of class T in the array under the key; nullopt
  // when there is none, and nullopt plus failure when it is not an array of such objects.
  template <class T>
  std::optional<std::vector<std::shared_ptr<T>>> decodeArrayOfClass(std::string_view key) {
    const Value& value = decodeObject(key);
    if (value.isNull()) return std::nullopt;
    const Array* array = value.getArray();
    if (!array) {
      wrongKind(key, "an array");
      return std::nullopt;
    }
    std::vector<std::shared_ptr<T>> objects;
    objects.reserve(array->size());
    for (const Value& element : *array) {
      auto object = element.objectAs<T>();
      if (!object) {
        wrongKind(key, "an array of objects of the expected class");
        return std::nullopt;
      }
      objects.push_back(std::move(object));
    }
    return objects;
  }

  // Thread of the unarchiving call. Makes the whole unarchiving fail for this reason.
  void fail(const std::string& reason);

 private:
  friend class KeyedArchive;
  struct Session;  // shared by the decoders of one archive (ArchiveDecoder.cpp)

  ArchiveDecoder(Session& session, std::string className, Dictionary fields)
      : session_(session), className_(std::move(className)), fields_(std::move(fields)) {}

  // The value that an archive node stands for (see ArchiveFormat.h), or why it cannot be read.
  static Result<Value> decodeRoot(const Value& node);

  void wrongKind(std::string_view key, const std::string& expected);

  Session& session_;
  std::string className_;
  Dictionary fields_;
};

}  // namespace foundation
