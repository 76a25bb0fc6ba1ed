#pragma once

#include <cstddef>

#include "platform/foundation/Archivable.h"
#include "platform/foundation/ArchiveDecoder.h"
#include "platform/foundation/ArchiveEncoder.h"
#include "platform/foundation/ArchiveRegistry.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace foundation {

inline constexpr const char* kKeyedArchiveErrorDomain = "KeyedArchiveErrorDomain";
// Codes of kKeyedArchiveErrorDomain.
inline constexpr long long kKeyedArchiveCorruptError = 1;       // damaged, truncated or foreign data
inline constexpr long long kKeyedArchiveTooDeepError = 2;       // nested deeper than KeyedArchive::kMaxDepth
inline constexpr long long kKeyedArchiveUnarchivableError = 3;  // an object that is not Archivable or not registered
inline constexpr long long kKeyedArchiveUnknownClassError = 4;  // an archived class that is not registered
inline constexpr long long kKeyedArchiveWrongTypeError = 5;     // a class refused its decoded fields
inline constexpr long long kKeyedArchiveCycleError = 6;         // an object that holds itself

// Keyed archives: a value (null, plain values, arrays, dictionaries and Archivable objects, at
// any nesting) turned into a property list and back. The property list is the archive's whole
// state, so archives are stored as XML property-list bytes. An object reached twice is archived
// twice and comes back as two equal objects.
class KeyedArchive {
 public:
  // Containers and objects nested deeper than this are refused both ways.
  static constexpr std::size_t kMaxDepth = 200;

  // Thread of the caller; the objects' encode() runs on it. The archive as XML property-list
  // bytes, or why the value cannot be archived.
  static Result<Bytes> archivedData(const Value& root);
  // Same, as the property-list value itself.
  static Result<Value> archivedPropertyList(const Value& root);

  // Thread of the caller; the registered factories run on it. The archived value, or why the
  // bytes are not a readable archive (damaged, foreign, unknown class, refused by a class).
  static Result<Value> unarchiveObject(const Bytes& data);
  // Same, from the property-list value.
  static Result<Value> unarchivePropertyList(const Value& propertyList);
};

}  // namespace foundation
