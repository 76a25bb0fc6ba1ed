#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "src/framework/network/Reachability.h"

namespace framework {

// The network kinds by status; the song-quality, player and download rules compare these.
inline constexpr const char* kNetWorkKindNone = "没有网络";
inline constexpr const char* kNetWorkKindWiFi = "wifi网络";
inline constexpr const char* kNetWorkKindWWAN = "WWAN网络";  // status 2, never produced
inline constexpr const char* kNetWorkKind3G = "3G网络";
inline constexpr const char* kNetWorkKind2G = "2G网络";  // also every unknown status

// The host whose reachability stands for the whole network.
inline constexpr const char* kNetWorkProbeHost = "www.example.com";

// The kind text of a status.
std::string_view kindOfNetWorkForStatus(NetworkStatus status);

// The application's view of the network: one Reachability for the probe host, watched from
// the main run loop for the whole run. The queries may run on any thread.
class NetWorkUitil {
 public:
  ~NetWorkUitil();
  NetWorkUitil(const NetWorkUitil&) = delete;
  NetWorkUitil& operator=(const NetWorkUitil&) = delete;

  // Any thread. The shared instance, made on first use; its notifier runs on the main loop.
  static NetWorkUitil& defaultUitil();

  // Any thread. Makes the probe's Reachability if there is none and starts its notifier on the
  // main run loop (from another thread, soon after on the main thread).
  void startNotifier();
  // Any thread. False only when the status is kNotReachable.
  bool isNetWorkEnable() const;
  // Any thread. The kind text of the status now.
  std::string KindOfNetWork() const;
  // Any thread. The probe's Reachability, or nullptr when it could not be made.
  std::shared_ptr<Reachability> reachability() const;

  // Test hook: forgets the shared instance, so that the next defaultUitil() makes a new one
  // with the reachability source installed at that time. No other thread may be using it.
  static void resetDefaultUitilForTesting();

 private:
  NetWorkUitil();

  NetworkStatus currentStatus() const;

  mutable std::mutex mutex_;
  std::shared_ptr<Reachability> reachability_;
};

}  // namespace framework
