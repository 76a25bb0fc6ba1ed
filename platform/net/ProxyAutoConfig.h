#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Result.h"

namespace foundation {
class RunLoop;
}

namespace net {

inline constexpr const char* kProxyAutoConfigErrorDomain = "ProxyAutoConfigErrorDomain";
enum ProxyAutoConfigError : long long {
  kPACScriptTooLarge = 1,
  kPACScriptFailed = 2,       // a syntax or run-time error, or no FindProxyForURL
  kPACScriptTimedOut = 3,     // ran longer than its limit
  kPACScriptOutOfMemory = 4,  // wanted more than its heap limit
};

// One entry of a FindProxyForURL answer ("PROXY host:port", "SOCKS host:port", "DIRECT").
struct PACProxy {
  std::string type;  // "HTTP", "SOCKS" (SOCKS5), "SOCKS4" or "DIRECT"
  std::string host;
  int port = 0;
  bool operator==(const PACProxy&) const = default;
};

struct PACLimits {
  double timeoutSeconds = 5;  // per call, compiling included
  std::size_t maxHeapBytes = 32 * 1024 * 1024;
};

// A proxy auto-configuration script, compiled once in a private script heap of its own with the
// helper functions scripts expect (isPlainHostName, dnsDomainIs, shExpMatch, isInNet, dnsResolve,
// myIpAddress, weekdayRange, dateRange, timeRange, ...). A script that runs too long or wants
// too much memory is stopped with an error; the time limit covers its name look-ups too, which
// run on threads of their own so that a hanging resolver cannot hold the script past it. Used on
// one thread at a time.
class PACScript {
 public:
  static constexpr std::size_t kMaxScriptBytes = 1024 * 1024;

  static foundation::Result<std::unique_ptr<PACScript>> compile(std::string_view script, PACLimits limits = {});
  ~PACScript();
  PACScript(const PACScript&) = delete;
  PACScript& operator=(const PACScript&) = delete;

  // FindProxyForURL(url, host) of the script, parsed into entries in order.
  foundation::Result<std::vector<PACProxy>> proxiesForURL(const std::string& url);
  // The most memory the script heap has held.
  std::size_t peakHeapBytes() const;

  // The name look-up behind dnsResolve and the helpers built on it: the IPv4 address of a host
  // name, or nullopt.
  using HostResolver = std::function<std::optional<std::string>(const std::string& host)>;
  // Any thread; for tests. Replaces the system's look-up (nullptr restores it).
  static void setHostResolverForTesting(HostResolver resolver);

  // Any thread. Compiles and runs the script on a worker thread, then calls `done` on `loop`.
  static void proxiesForURLAsync(std::string script, std::string url, foundation::RunLoop& loop,
                                 std::function<void(foundation::Result<std::vector<PACProxy>>)> done,
                                 PACLimits limits = {});

  struct Heap;

 private:
  PACScript() = default;
  std::unique_ptr<Heap> heap_;
};

// Any thread. "PROXY a:1; SOCKS b:2; DIRECT" as entries; malformed entries are skipped.
std::vector<PACProxy> parsePACAnswer(std::string_view answer);

}  // namespace net
