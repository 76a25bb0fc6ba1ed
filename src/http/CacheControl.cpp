#include "src/http/CacheControl.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string>
#include <string_view>

#include "src/http/HeaderDictionary.h"

namespace http {
namespace {

constexpr double kLongestMaxAge = 10.0 * 365 * 24 * 3600;

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

std::string lowered(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return lower;
}

}  // namespace

CacheControl::CacheControl(const foundation::Dictionary& headers) {
  if (auto pragma = headerValue(headers, "Pragma"); pragma && lowered(trimmed(*pragma)) == "no-cache") noStore = true;
  auto header = headerValue(headers, "Cache-Control");
  if (!header) return;
  if (lowered(trimmed(*header)) == "no-cache") noStore = true;
  std::string_view rest = *header;
  while (!rest.empty()) {
    auto comma = rest.find(',');
    std::string directive = lowered(trimmed(rest.substr(0, comma)));
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    auto equals = directive.find('=');
    std::string name(trimmed(std::string_view(directive).substr(0, equals)));
    if (name == "no-store") noStore = true;
    if (name == "no-cache") noCache = true;
    if (name != "max-age" || equals == std::string::npos) continue;
    std::string_view value = trimmed(std::string_view(directive).substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    long long seconds = 0;
    auto [end, status] = std::from_chars(value.data(), value.data() + value.size(), seconds);
    if (status == std::errc::result_out_of_range)
      seconds = value.front() == '-' ? 0 : static_cast<long long>(kLongestMaxAge);
    else if (status != std::errc() || end != value.data() + value.size())
      continue;
    maxAge = std::clamp(static_cast<double>(seconds), 0.0, kLongestMaxAge);
  }
}

}  // namespace http
