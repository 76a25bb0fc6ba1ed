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

bool headerListsToken(const foundation::Dictionary& headers, std::string_view name, std::string_view token) {
  auto value = headerValue(headers, name);
  if (!value) return false;
  std::string_view rest = *value;
  while (!rest.empty()) {
    auto comma = rest.find(',');
    std::string_view item = rest.substr(0, comma);
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    while (!item.empty() && (item.front() == ' ' || item.front() == '\t')) item.remove_prefix(1);
    while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.remove_suffix(1);
    if (net::equalsIgnoringCase(item, token)) return true;
  }
  return false;
}

}  // namespace http
