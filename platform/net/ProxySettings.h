#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/Result.h"

namespace net {

// What a proxy is: an HTTP proxy for http URLs (kHTTP) or for https URLs through a CONNECT tunnel
// (kHTTPS), a SOCKS proxy, or, for kAutoConfig, the URL of a proxy auto-configuration script
// that chooses the proxy.
enum class ProxyType { kHTTP, kHTTPS, kSOCKS5, kSOCKS4a, kAutoConfig };

struct ProxyInfo {
  ProxyInfo() = default;
  ProxyInfo(ProxyType kind, std::string hostName, int portNumber, std::string user = "", std::string secret = "")
      : type(kind),
        host(std::move(hostName)),
        port(portNumber),
        username(std::move(user)),
        password(std::move(secret)) {}
  static ProxyInfo autoConfig(std::string url) {
    ProxyInfo info;
    info.type = ProxyType::kAutoConfig;
    info.autoConfigURL = std::move(url);
    return info;
  }

  ProxyType type = ProxyType::kHTTP;
  std::string host;
  int port = 0;
  std::string username;  // from the proxy's URL, when it carries a login
  std::string password;
  std::string autoConfigURL;  // for kAutoConfig
  friend bool operator==(const ProxyInfo&, const ProxyInfo&) = default;
};

// The system's proxy settings. From the conventional variables: http_proxy, https_proxy,
// all_proxy (for either scheme when its own is unset) and no_proxy (lower case wins over upper
// case). A proxy is written as "host:port" or "scheme://[user:password@]host[:port][/]" with the
// scheme http (port 80 when absent), socks5 or socks5h (port 1080; the proxy resolves names
// either way) or socks4a or socks4 (sent as SOCKS4a). no_proxy is a comma-separated list of "*",
// host names (matching the host and its subdomains, a leading dot or "*." allowed), IP addresses
// and CIDR blocks, each optionally with ":port". Without variables the desktop's settings apply
// (see fromDesktop); without either every URL goes direct. A value is immutable once made; any
// thread.
class ProxySettings {
 public:
  ProxySettings() = default;  // direct for everything

  // Any thread. Settings from the given variables (names as in the environment).
  static ProxySettings fromVariables(const std::map<std::string, std::string>& variables);
  // Any thread. Settings from the process environment now.
  static ProxySettings fromEnvironment();
  // Any thread. The desktop's proxy settings, chosen as the desktop's own resolver chooses: mode
  // none; manual, where http URLs take the HTTP host, https URLs the HTTPS host or else the HTTP
  // host (with the HTTP login when one is set), and both fall back to the SOCKS host; or automatic
  // from a script URL. Hosts to ignore apply to manual and automatic modes: names (with their
  // subdomains, a leading "." or "*." allowed), addresses and CIDR blocks, a ":port" matching
  // only a URL that names that port. Direct where the desktop keeps none.
  static ProxySettings fromDesktop();

  // Any thread. The environment's settings when it names a proxy, else the desktop's.
  static ProxySettings fromEnvironmentOrDesktop();
  // Any thread. The process's settings: those installed by setSystemForTesting, else
  // fromEnvironmentOrDesktop() read now, so that a change made while the program runs applies to
  // the next proxy choice.
  static ProxySettings system();
  // Any thread; for tests. Installs settings for system(); nullopt goes back to the environment.
  static void setSystemForTesting(std::optional<ProxySettings> settings);

  // Any thread. The proxies to try for a URL, best first; empty means connect directly. Fails
  // with net::kInvalidProxySetting when the setting that applies cannot be used (an unknown
  // proxy scheme, no host, a bad port) and with net::kUnsupportedURL for a URL that cannot be
  // parsed.
  foundation::Result<std::vector<ProxyInfo>> proxiesForURL(const std::string& url) const;

 private:
  // How hosts to bypass are written: no_proxy's rules, or the desktop's, where "*" is no
  // wildcard and a port matches only a URL that names it.
  enum class BypassRules { kNoProxyVariable, kDesktopIgnoreHosts };

  bool namesAProxy() const;

  BypassRules bypassRules_ = BypassRules::kNoProxyVariable;
  std::string httpProxy_;
  std::string httpsProxy_;
  std::string allProxy_;
  std::string noProxy_;
  std::string autoConfigURL_;
};

}  // namespace net
