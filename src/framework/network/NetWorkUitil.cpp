#include "src/framework/network/NetWorkUitil.h"

#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/RunLoop.h"

namespace framework {

namespace {

std::unique_ptr<NetWorkUitil>& sharedInstance() {
  static foundation::NoDestructor<std::unique_ptr<NetWorkUitil>> instance;
  return *instance;
}

std::mutex& creationMutex() {
  static std::mutex mutex;
  return mutex;
}

// Notifications belong on the main thread, whichever thread made the shared instance: the loop
// of another thread may never run.
void startOnMainLoop(const std::shared_ptr<Reachability>& reachability) {
  foundation::RunLoop::main().perform([reachability] { reachability->startNotifier(); }, false);
}

}  // namespace

std::string_view kindOfNetWorkForStatus(NetworkStatus status) {
  switch (status) {
    case kNotReachable:
      return kNetWorkKindNone;
    case kReachableViaWiFi:
      return kNetWorkKindWiFi;
    case kReachableViaWWAN:
      return kNetWorkKindWWAN;
    case kReachableVia3G:
      return kNetWorkKind3G;
    default:
      return kNetWorkKind2G;
  }
}

NetWorkUitil::NetWorkUitil() : reachability_(Reachability::reachabilityWithHostName(kNetWorkProbeHost)) {
  if (reachability_) startOnMainLoop(reachability_);
}

NetWorkUitil::~NetWorkUitil() {
  if (reachability_) reachability_->stopNotifier();
}

NetWorkUitil& NetWorkUitil::defaultUitil() {
  std::lock_guard lock(creationMutex());
  auto& instance = sharedInstance();
  if (!instance) instance.reset(new NetWorkUitil());
  return *instance;
}

void NetWorkUitil::resetDefaultUitilForTesting() {
  std::lock_guard lock(creationMutex());
  sharedInstance().reset();
}

void NetWorkUitil::startNotifier() {
  std::shared_ptr<Reachability> reachability;
  {
    std::lock_guard lock(mutex_);
    if (!reachability_) reachability_ = Reachability::reachabilityWithHostName(kNetWorkProbeHost);
    reachability = reachability_;
  }
  if (reachability) startOnMainLoop(reachability);
}

bool NetWorkUitil::isNetWorkEnable() const { return currentStatus() != kNotReachable; }

std::string NetWorkUitil::KindOfNetWork() const { return std::string(kindOfNetWorkForStatus(currentStatus())); }

std::shared_ptr<Reachability> NetWorkUitil::reachability() const {
  std::lock_guard lock(mutex_);
  return reachability_;
}

NetworkStatus NetWorkUitil::currentStatus() const {
  auto probe = reachability();
  return probe ? probe->currentReachabilityStatus() : kNotReachable;
}

}  // namespace framework
