#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Result.h"

namespace net {

// Which URLs a proxy serves: kHTTP for http URLs, kHTTPS for https URLs (reached through a
// CONNECT tunnel). Both are HTTP proxies.
enum class ProxyType { kHTTP, kHTTPS };

struct ProxyInfo {
  ProxyType type = ProxyType::kHTTP;
  std::string host;
  int port = 0;
  friend bool operator==(const ProxyInfo&, const ProxyInfo&) = default;
};

// The system's proxy settings, taken from the conventional variables: http_proxy, https_proxy
// and no_proxy (lower case wins over HTTP_PROXY, HTTPS_PROXY, NO_PROXY). A proxy is written as
// "host:port" or "http://[user:password@]host[:port][/]" (port 80 when absent); no_proxy is a
// comma-separated list of "*", host names (matching the host and its subdomains, a leading dot
// allowed), IP addresses and CIDR blocks, each optionally with ":port". Without variables every
// URL goes direct. A value is immutable once made; any thread.
class ProxySettings {
 public:
  ProxySettings() = default;  // direct for everything

  // Any thread. Settings from the given variables (names as in the environment).
  static ProxySettings fromVariables(const std::map<std::string, std::string>& variables);
  // Any thread. Settings from the process environment now.
  static ProxySettings fromEnvironment();

  // Any thread. The process's settings: those installed by setSystemForTesting, else the
  // environment read at the first call.
  static ProxySettings system();
  // Any thread; for tests. Installs settings for system(); nullopt goes back to the environment.
  static void setSystemForTesting(std::optional<ProxySettings> settings);

  // Any thread. The proxies to try for a URL, best first; empty means connect directly. Fails
  // with net::kInvalidProxySetting when the variable that applies cannot be used (an unknown
  // proxy scheme such as socks5, no host, a bad port) and with net::kUnsupportedURL for a URL
  // that cannot be parsed.
  foundation::Result<std::vector<ProxyInfo>> proxiesForURL(const std::string& url) const;

 private:
  std::string httpProxy_;
  std::string httpsProxy_;
  std::string noProxy_;
};

}  // namespace net
