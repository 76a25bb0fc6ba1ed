#include "src/framework/network/Reachability.h"

#include <arpa/inet.h>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

namespace framework {

namespace {

constexpr std::uint32_t kLinkLocalNetwork = 0xA9FE0000;  // 169.254.0.0, host byte order

bool has(net::ReachabilityFlags flags, net::ReachabilityFlags wanted) { return (flags & wanted) == wanted; }

}  // namespace

Reachability::Reachability(std::unique_ptr<net::ReachabilityTarget> target, bool localWiFi)
    : localWiFiRef_(localWiFi), reachabilityRef_(std::move(target)) {}

Reachability::~Reachability() { stopNotifier(); }

std::shared_ptr<Reachability> Reachability::reachabilityWithHostName(std::string_view hostName) {
  auto target = net::ReachabilityTarget::withHostName(hostName);
  if (!target) return nullptr;
  return std::shared_ptr<Reachability>(new Reachability(std::move(target).value(), false));
}

std::shared_ptr<Reachability> Reachability::reachabilityWithAddress(const sockaddr_in& address) {
  if (address.sin_family != AF_INET) return nullptr;
  auto target = net::ReachabilityTarget::withAddress(ntohl(address.sin_addr.s_addr));
  return std::shared_ptr<Reachability>(new Reachability(std::move(target), false));
}

std::shared_ptr<Reachability> Reachability::reachabilityForInternetConnection() {
  sockaddr_in zero{};
  zero.sin_family = AF_INET;
  return reachabilityWithAddress(zero);
}

std::shared_ptr<Reachability> Reachability::reachabilityForLocalWiFi() {
  sockaddr_in linkLocal{};
  linkLocal.sin_family = AF_INET;
  linkLocal.sin_addr.s_addr = htonl(kLinkLocalNetwork);
  auto reachability = reachabilityWithAddress(linkLocal);
  if (reachability) reachability->localWiFiRef_ = true;
  return reachability;
}

bool Reachability::startNotifier() {
  reachabilityRef_->setCallback([weak = weak_from_this()](net::ReachabilityFlags) {
    if (auto self = weak.lock()) self->postChanged();
  });
  return reachabilityRef_->scheduleWithRunLoop(foundation::RunLoop::current()).ok();
}

void Reachability::stopNotifier() { reachabilityRef_->unscheduleFromRunLoop(); }

void Reachability::postChanged() {
  foundation::NotificationCenter::defaultCenter().postNotificationName(kReachabilityChangedNotification,
                                                                       shared_from_this());
}

NetworkStatus Reachability::localWiFiStatusForFlags(net::ReachabilityFlags flags) {
  return has(flags, net::kReachabilityReachable | net::kReachabilityIsDirect) ? kReachableViaWiFi : kNotReachable;
}

NetworkStatus Reachability::networkStatusForFlags(net::ReachabilityFlags flags) {
  if (!has(flags, net::kReachabilityReachable)) return kNotReachable;
  if (has(flags, net::kReachabilityIsWWAN | net::kReachabilityTransientConnection))
    return has(flags, net::kReachabilityConnectionRequired) ? kReachableVia2G : kReachableVia3G;
  if (!has(flags, net::kReachabilityConnectionRequired)) return kReachableViaWiFi;
  const bool automatic =
      (flags & (net::kReachabilityConnectionOnTraffic | net::kReachabilityConnectionOnDemand)) != 0 &&
      !has(flags, net::kReachabilityInterventionRequired);
  return automatic ? kReachableViaWiFi : kNotReachable;
}

bool Reachability::connectionRequired() const {
  auto flags = reachabilityRef_->flags();
  return flags && has(*flags, net::kReachabilityConnectionRequired);
}

NetworkStatus Reachability::currentReachabilityStatus() const {
  auto flags = reachabilityRef_->flags();
  if (!flags) return kNotReachable;
  return localWiFiRef_ ? localWiFiStatusForFlags(*flags) : networkStatusForFlags(*flags);
}

}  // namespace framework
