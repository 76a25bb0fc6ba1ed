#include "src/http/HeaderDictionary.h"

#include "platform/net/HTTPMessage.h"

namespace http {

std::optional<std::string> headerValue(const foundation::Dictionary& headers, std::string_view name) {
  if (const auto* exact = headers.find(name)) return exact->toString();
  for (const auto& [key, value] : headers) {
    if (net::equalsIgnoringCase(key, name)) return value.toString();
  }
  return std::nullopt;
}

}  // namespace http
