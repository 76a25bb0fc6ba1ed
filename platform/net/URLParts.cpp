#include "platform/net/URLParts.h"

#include <algorithm>
#include <boost/url/parse.hpp>
#include <boost/url/url_view.hpp>

#include "platform/net/NetErrors.h"

namespace net {
namespace {

foundation::ErrorPtr unsupported(const std::string& url, const char* why) {
  return foundation::makeError(kCFNetworkErrorDomain, kUnsupportedURL,
                               "Unsupported URL (" + std::string(why) + "): " + url);
}

bool isHostNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_';
}

}  // namespace

std::string toLowerASCII(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
  return text;
}

foundation::Result<URLParts> parseHTTPURL(const std::string& url) {
  auto parsed = boost::urls::parse_uri(url);
  if (!parsed) return unsupported(url, "malformed");
  const boost::urls::url_view& view = *parsed;
  URLParts parts;
  parts.scheme = toLowerASCII(std::string(view.scheme()));
  if (parts.scheme != "http" && parts.scheme != "https") return unsupported(url, "not http or https");
  if (!view.has_authority()) return unsupported(url, "no host");
  switch (view.host_type()) {
    case boost::urls::host_type::ipv4:
      parts.host = std::string(view.host_address());
      parts.hostIsAddress = true;
      break;
    case boost::urls::host_type::ipv6:
      parts.host = toLowerASCII(std::string(view.host_address()));
      parts.hostIsAddress = true;
      parts.hostIsIPv6 = true;
      break;
    case boost::urls::host_type::name:
      parts.host = toLowerASCII(std::string(view.host_name()));
      if (!std::all_of(parts.host.begin(), parts.host.end(), isHostNameCharacter))
        return unsupported(url, "bad host name");
      break;
    default:
      return unsupported(url, "bad host");
  }
  if (parts.host.empty()) return unsupported(url, "no host");
  parts.port = parts.scheme == "https" ? 443 : 80;
  if (view.has_port() && !view.port().empty()) {
    const std::string port(view.port());
    if (port.size() > 5 || !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return unsupported(url, "bad port");
    const int number = std::stoi(port);
    if (number < 1 || number > 65535) return unsupported(url, "bad port");
    parts.port = number;
    parts.explicitPort = true;
  }
  parts.path = view.encoded_path().empty() ? "/" : std::string(view.encoded_path());
  if (parts.path.front() != '/') return unsupported(url, "relative path");
  parts.target = parts.path;
  if (view.has_query()) parts.target += "?" + std::string(view.encoded_query());
  return parts;
}

}  // namespace net
