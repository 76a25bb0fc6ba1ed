#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/foundation/Archivable.h"

namespace foundation {

class ArchiveDecoder;

// Makes an archived object again from its decoded fields; nullptr (or decoder.fail(...)) when
// the fields do not make a valid object.
using ArchiveFactory = std::function<std::shared_ptr<Archivable>(ArchiveDecoder&)>;

// The classes that keyed archives can hold, by name. Lives for the run; safe from any thread.
class ArchiveRegistry {
 public:
  // Any thread. The one registry.
  static ArchiveRegistry& shared();

  // Any thread. Registers the factory under the name, replacing an earlier one. Refuses (false)
  // an empty name, a name starting with "$" (the archive format's own) and an empty factory.
  bool registerClass(std::string className, ArchiveFactory factory);

  // Any thread. The factory for the name; empty when the name is not registered.
  ArchiveFactory factoryFor(std::string_view className) const;
  bool isRegistered(std::string_view className) const;

 private:
  ArchiveRegistry() = default;

  mutable std::mutex mutex_;
  std::map<std::string, ArchiveFactory, std::less<>> factories_;
};

}  // namespace foundation
