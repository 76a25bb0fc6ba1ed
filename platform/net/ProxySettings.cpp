#include "platform/net/ProxySettings.h"

#include <boost/asio/ip/address.hpp>
#include <boost/url/parse.hpp>
#include <charconv>
#include <cstdlib>
#include <mutex>
#include <sstream>

#include "platform/foundation/NoDestructor.h"
#include "platform/net/NetErrors.h"
#include "platform/net/URLParts.h"

namespace net {
namespace {

std::string trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string variable(const std::map<std::string, std::string>& variables, const std::string& lower,
                     const std::string& upper) {
  for (const auto& name : {lower, upper}) {
    auto found = variables.find(name);
    if (found != variables.end() && !trim(found->second).empty()) return trim(found->second);
  }
  return "";
}

foundation::ErrorPtr invalidSetting(const std::string& value, const std::string& why) {
  return foundation::makeError(kCFNetworkErrorDomain, kInvalidProxySetting,
                               "Unusable proxy setting '" + value + "': " + why);
}

std::optional<ProxyType> proxyTypeOfScheme(const std::string& scheme, bool secure) {
  if (scheme == "http") return secure ? ProxyType::kHTTPS : ProxyType::kHTTP;
  if (scheme == "socks5" || scheme == "socks5h" || scheme == "socks") return ProxyType::kSOCKS5;
  if (scheme == "socks4a" || scheme == "socks4") return ProxyType::kSOCKS4a;
  return std::nullopt;
}

foundation::Result<ProxyInfo> parseProxy(const std::string& value, bool secure) {
  const std::string url = value.find("://") == std::string::npos ? "http://" + value : value;
  auto parsed = boost::urls::parse_uri(url);
  if (!parsed) return invalidSetting(value, "malformed");
  const auto type = proxyTypeOfScheme(toLowerASCII(std::string(parsed->scheme())), secure);
  if (!type) return invalidSetting(value, "only HTTP and SOCKS proxies are supported");
  const bool socks = *type == ProxyType::kSOCKS5 || *type == ProxyType::kSOCKS4a;
  std::string authority(parsed->encoded_host_and_port());
  if (socks && !parsed->has_port()) authority += ":1080";
  // Reuse the URL checks for host and port.
  auto parts = parseHTTPURL("http://" + authority + "/");
  if (!parts) return invalidSetting(value, "bad host or port");
  return ProxyInfo(*type, parts->host, parts->port, parsed->user(), parsed->password());
}

std::vector<unsigned char> bytesOf(const boost::asio::ip::address& address) {
  if (address.is_v4()) {
    const auto bytes = address.to_v4().to_bytes();
    return {bytes.begin(), bytes.end()};
  }
  const auto bytes = address.to_v6().to_bytes();
  return {bytes.begin(), bytes.end()};
}

// Whether an address lies in a block written as "address/bits".
bool inBlock(const std::string& host, const std::string& block) {
  const auto slash = block.find('/');
  boost::system::error_code ec;
  const auto address = boost::asio::ip::make_address(host, ec);
  if (ec) return false;
  const auto network = boost::asio::ip::make_address(block.substr(0, slash), ec);
  if (ec || address.is_v4() != network.is_v4()) return false;
  int bits = -1;
  const char* first = block.data() + slash + 1;
  const char* last = block.data() + block.size();
  if (auto [end, error] = std::from_chars(first, last, bits); error != std::errc() || end != last) return false;
  const auto addressBytes = bytesOf(address);
  const auto networkBytes = bytesOf(network);
  if (bits < 0 || bits > static_cast<int>(addressBytes.size() * 8)) return false;
  for (std::size_t i = 0; bits > 0; ++i, bits -= 8) {
    const unsigned mask = bits >= 8 ? 0xFFu : (0xFFu << (8 - bits)) & 0xFFu;
    if ((addressBytes[i] & mask) != (networkBytes[i] & mask)) return false;
  }
  return true;
}

// Splits "name:port" or "[v6]:port"; port 0 when absent.
std::pair<std::string, int> splitPort(const std::string& entry) {
  if (entry.front() == '[') {
    const auto close = entry.find(']');
    if (close == std::string::npos) return {entry, 0};
    const std::string rest = entry.substr(close + 1);
    return {entry.substr(1, close - 1), rest.size() > 1 && rest[0] == ':' ? std::atoi(rest.c_str() + 1) : 0};
  }
  const auto colon = entry.find(':');
  if (colon == std::string::npos || entry.find(':', colon + 1) != std::string::npos) return {entry, 0};
  return {entry.substr(0, colon), std::atoi(entry.c_str() + colon + 1)};
}

// With the desktop's rules "*" is a name like any other, and a port matches only a URL that
// names it ("example.com:80" leaves "http://example.com/" to the proxy).
bool entryMatches(std::string entry, const URLParts& url, bool desktopRules) {
  if (entry == "*" && !desktopRules) return true;
  auto [name, port] = splitPort(entry);
  if (port != 0 && (port != url.port || (desktopRules && !url.explicitPort))) return false;
  if (name.find('/') != std::string::npos) return inBlock(url.host, name);
  if (name.rfind("*.", 0) == 0) name.erase(0, 1);
  if (!name.empty() && name.front() == '.') name.erase(0, 1);
  if (name.empty()) return false;
  if (url.hostIsAddress) return name == url.host;
  return url.host == name || (url.host.size() > name.size() && url.host.ends_with("." + name));
}

bool bypasses(const std::string& noProxy, const URLParts& url, bool desktopRules) {
  std::stringstream entries(toLowerASCII(noProxy));
  std::string entry;
  while (std::getline(entries, entry, ',')) {
    entry = trim(entry);
    if (!entry.empty() && entryMatches(entry, url, desktopRules)) return true;
  }
  return false;
}

std::mutex& systemMutex() {
  static std::mutex mutex;
  return mutex;
}

std::optional<ProxySettings>& injectedSettings() {
  static foundation::NoDestructor<std::optional<ProxySettings>> settings;
  return *settings;
}

}  // namespace

ProxySettings ProxySettings::fromVariables(const std::map<std::string, std::string>& variables) {
  ProxySettings settings;
  settings.httpProxy_ = variable(variables, "http_proxy", "HTTP_PROXY");
  settings.httpsProxy_ = variable(variables, "https_proxy", "HTTPS_PROXY");
  settings.allProxy_ = variable(variables, "all_proxy", "ALL_PROXY");
  settings.noProxy_ = variable(variables, "no_proxy", "NO_PROXY");
  return settings;
}

ProxySettings ProxySettings::fromEnvironment() {
  std::map<std::string, std::string> variables;
  for (const char* name :
       {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"})
    if (const char* value = std::getenv(name)) variables[name] = value;
  return fromVariables(variables);
}

ProxySettings ProxySettings::system() {
  {
    std::lock_guard lock(systemMutex());
    if (injectedSettings()) return *injectedSettings();
  }
  return fromEnvironmentOrDesktop();
}

ProxySettings ProxySettings::fromEnvironmentOrDesktop() {
  auto environment = fromEnvironment();
  return environment.namesAProxy() ? environment : fromDesktop();
}

void ProxySettings::setSystemForTesting(std::optional<ProxySettings> settings) {
  std::lock_guard lock(systemMutex());
  injectedSettings() = std::move(settings);
}

bool ProxySettings::namesAProxy() const {
  return !httpProxy_.empty() || !httpsProxy_.empty() || !allProxy_.empty() || !autoConfigURL_.empty();
}

foundation::Result<std::vector<ProxyInfo>> ProxySettings::proxiesForURL(const std::string& url) const {
  auto parts = parseHTTPURL(url);
  if (!parts) return parts.error();
  if (bypasses(noProxy_, *parts, bypassRules_ == BypassRules::kDesktopIgnoreHosts)) return std::vector<ProxyInfo>{};
  if (!autoConfigURL_.empty()) return std::vector<ProxyInfo>{ProxyInfo::autoConfig(autoConfigURL_)};
  const bool secure = parts->scheme == "https";
  const std::string& own = secure ? httpsProxy_ : httpProxy_;
  const std::string& proxy = own.empty() ? allProxy_ : own;
  if (proxy.empty()) return std::vector<ProxyInfo>{};
  auto info = parseProxy(proxy, secure);
  if (!info) return info.error();
  return std::vector<ProxyInfo>{*info};
}

}  // namespace net
