#include "platform/foundation/ArchiveRegistry.h"

#include "platform/foundation/ArchiveFormat.h"

namespace foundation {

ArchiveRegistry& ArchiveRegistry::shared() {
  static auto* registry = new ArchiveRegistry();  // lives for the run: any thread may decode at exit
  return *registry;
}

bool ArchiveRegistry::registerClass(std::string className, ArchiveFactory factory) {
  if (className.empty() || className.front() == archive_format::kReservedPrefix || !factory) return false;
  std::lock_guard lock(mutex_);
  factories_[std::move(className)] = std::move(factory);
  return true;
}

ArchiveFactory ArchiveRegistry::factoryFor(std::string_view className) const {
  std::lock_guard lock(mutex_);
  auto it = factories_.find(className);
  return it == factories_.end() ? ArchiveFactory() : it->second;
}

bool ArchiveRegistry::isRegistered(std::string_view className) const {
  std::lock_guard lock(mutex_);
  return factories_.find(className) != factories_.end();
}

}  // namespace foundation
