#pragma once

#include <string>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace foundation {

// What an Archivable writes its state into; made by KeyedArchive for each archived object.
// Values may be plain values, arrays, dictionaries and further Archivable objects, nested to
// KeyedArchive::kMaxDepth; an object may not hold itself. The first failure ends the archiving
// and later calls do nothing.
class ArchiveEncoder {
 public:
  ArchiveEncoder(const ArchiveEncoder&) = delete;
  ArchiveEncoder& operator=(const ArchiveEncoder&) = delete;

  // Thread of the archiving call. Stores the value under the key, replacing an earlier one.
  // Null is not stored: decoding a missing key gives null just the same.
  void encodeObject(const Value& value, std::string key);

  // Thread of the archiving call. Makes the whole archiving fail for this reason.
  void fail(const std::string& reason);

 private:
  friend class KeyedArchive;
  struct Session;  // shared by the encoders of one archive (ArchiveEncoder.cpp)

  explicit ArchiveEncoder(Session& session) : session_(session) {}

  // The archive node of the root value (see ArchiveFormat.h), or why it cannot be archived.
  static Result<Value> encodeRoot(const Value& root);

  Session& session_;
  Dictionary fields_;
};

}  // namespace foundation
