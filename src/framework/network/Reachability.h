#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/foundation/Value.h"
#include "platform/net/ReachabilityFlags.h"
#include "platform/net/ReachabilityTarget.h"

namespace framework {

// How the network can be reached. 2 is a valid number that the classifier never produces.
using NetworkStatus = std::int32_t;
inline constexpr NetworkStatus kNotReachable = 0;
inline constexpr NetworkStatus kReachableViaWiFi = 1;
inline constexpr NetworkStatus kReachableViaWWAN = 2;
inline constexpr NetworkStatus kReachableVia3G = 3;  // cellular, transient connection
inline constexpr NetworkStatus kReachableVia2G = 4;  // cellular, transient connection, connection required

// Posted on the default notification centre, with the Reachability as its object, on the run
// loop the notifier was started on.
inline constexpr const char* kReachabilityChangedNotification = "kNetworkReachabilityChangedNotification";

// Whether a host or an address can be reached, and by which kind of network. Made through the
// class factories and held by shared_ptr; a change notification holds the object only while it
// is delivered. The status queries run on the caller's thread.
class Reachability : public foundation::Object, public std::enable_shared_from_this<Reachability> {
 public:
  // nullptr when no target can be made for the name (empty, over 253 bytes, spaces or
  // control characters).
  static std::shared_ptr<Reachability> reachabilityWithHostName(std::string_view hostName);
  // nullptr for an address whose family is not AF_INET.
  static std::shared_ptr<Reachability> reachabilityWithAddress(const sockaddr_in& address);
  // Any internet connection: the zero IPv4 address.
  static std::shared_ptr<Reachability> reachabilityForInternetConnection();
  // The link-local network 169.254.0.0, answered with localWiFiStatusForFlags.
  static std::shared_ptr<Reachability> reachabilityForLocalWiFi();

  ~Reachability() override;
  Reachability(const Reachability&) = delete;
  Reachability& operator=(const Reachability&) = delete;

  // Posts kReachabilityChangedNotification on the current thread's run loop on every change of
  // the flags; false when the target cannot be watched. Starting again on the same loop
  // changes nothing.
  bool startNotifier();
  void stopNotifier();

  static NetworkStatus localWiFiStatusForFlags(net::ReachabilityFlags flags);
  static NetworkStatus networkStatusForFlags(net::ReachabilityFlags flags);

  // The flags can be read and say a connection must be made first.
  bool connectionRequired() const;
  // Reads the flags now; kNotReachable when they cannot be read.
  NetworkStatus currentReachabilityStatus() const;

 private:
  Reachability(std::unique_ptr<net::ReachabilityTarget> target, bool localWiFi);

  void postChanged();

  bool localWiFiRef_ = false;
  std::unique_ptr<net::ReachabilityTarget> reachabilityRef_;
};

}  // namespace framework
