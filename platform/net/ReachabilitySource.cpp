#include "platform/net/ReachabilitySource.h"

#include <mutex>

#include "platform/net/ReachabilityNetlinkSource.h"

namespace net {

namespace {

std::mutex& systemMutex() {
  static std::mutex mutex;
  return mutex;
}

std::shared_ptr<ReachabilitySource>& installedSource() {
  static std::shared_ptr<ReachabilitySource> source;
  return source;
}

}  // namespace

std::shared_ptr<ReachabilitySource> ReachabilitySource::system() {
  std::lock_guard lock(systemMutex());
  if (installedSource()) return installedSource();
  static const auto machine = std::make_shared<ReachabilityNetlinkSource>();
  return machine;
}

void ReachabilitySource::setSystemForTesting(std::shared_ptr<ReachabilitySource> source) {
  std::lock_guard lock(systemMutex());
  installedSource() = std::move(source);
}

}  // namespace net
