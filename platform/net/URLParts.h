#pragma once

#include <string>

#include "platform/foundation/Result.h"

namespace net {

// The parts of an absolute http or https URL that messages, proxies and cookies need.
struct URLParts {
  std::string scheme;  // lower case
  std::string host;    // lower case, IPv6 without brackets
  bool hostIsAddress = false;
  bool hostIsIPv6 = false;
  int port = 0;  // explicit, or 80/443 by scheme
  bool explicitPort = false;
  std::string path;    // "/" when empty
  std::string target;  // path and query
};

// Any thread. Fails with net::kUnsupportedURL for anything but a well-formed absolute http(s)
// URL with a host and a port in 1..65535.
foundation::Result<URLParts> parseHTTPURL(const std::string& url);

// Any thread. ASCII lower case.
std::string toLowerASCII(std::string text);

}  // namespace net
