#include "platform/net/ReachabilitySource.h"

#include <mutex>

#include "platform/foundation/NoDestructor.h"
#include "platform/net/ReachabilityNetlinkSource.h"

namespace net {

namespace {

std::mutex& systemMutex() {
  static std::mutex mutex;
  return mutex;
}

std::shared_ptr<ReachabilitySource>& installedSource() {
  static foundation::NoDestructor<std::shared_ptr<ReachabilitySource>> source;
  return *source;
}

}  // namespace

std::shared_ptr<ReachabilitySource> ReachabilitySource::system() {
  std::lock_guard lock(systemMutex());
  if (installedSource()) return installedSource();
  static const foundation::NoDestructor<std::shared_ptr<ReachabilitySource>> machine(
      std::make_shared<ReachabilityNetlinkSource>());
  return *machine;
}

void ReachabilitySource::setSystemForTesting(std::shared_ptr<ReachabilitySource> source) {
  std::lock_guard lock(systemMutex());
  installedSource() = std::move(source);
}

}  // namespace net
