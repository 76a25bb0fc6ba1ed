#pragma once

#include <string>

#include "platform/foundation/Value.h"

namespace foundation {

class ArchiveEncoder;

// An object that keyed archives can hold. Its class registers a factory under
// archiveClassName() with ArchiveRegistry; the factory makes the object again from an
// ArchiveDecoder holding what encode() wrote.
class Archivable : public Object {
 public:
  // Any thread. The name the class is registered under; it is stored in every archive.
  virtual std::string archiveClassName() const = 0;
  // Thread of the archiving call. Writes the object's state, one value per key.
  virtual void encode(ArchiveEncoder& encoder) const = 0;
};

}  // namespace foundation
