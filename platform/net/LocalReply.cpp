#include "platform/net/LocalHTTPServer.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>

namespace net {
namespace {

bool sameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

std::optional<std::uint64_t> number(std::string_view text) {
  std::uint64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

struct ByteRange {
  std::uint64_t first = 0;
  std::uint64_t last = 0;  // inclusive
  bool unsatisfiable = false;
};

// "bytes=a-b", "bytes=a-" or "bytes=-n" against a body of `size` bytes; nullopt when the field
// is not one such range (a list of ranges included).
std::optional<ByteRange> parseRange(std::string_view field, std::uint64_t size) {
  if (!field.starts_with("bytes=") || field.find(',') != std::string_view::npos) return std::nullopt;
  const std::string_view spec = field.substr(6);
  const std::size_t dash = spec.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  const std::string_view from = spec.substr(0, dash);
  const std::string_view to = spec.substr(dash + 1);
  ByteRange range;
  if (from.empty()) {
    const auto suffix = number(to);
    if (!suffix) return std::nullopt;
    if (*suffix == 0 || size == 0) return ByteRange{0, 0, true};
    range.first = size - std::min(*suffix, size);
    range.last = size - 1;
    return range;
  }
  const auto first = number(from);
  const auto last = to.empty() ? std::optional<std::uint64_t>(UINT64_MAX) : number(to);
  if (!first || !last || *last < *first) return std::nullopt;
  if (*first >= size) return ByteRange{0, 0, true};
  return ByteRange{*first, std::min(*last, size - 1), false};
}

}  // namespace

std::optional<std::string> LocalRequest::header(std::string_view name) const {
  for (const auto& [key, value] : headers)
    if (sameName(key, name)) return value;
  return std::nullopt;
}

LocalReply LocalReply::text(std::string body, std::string contentType, int status) {
  LocalReply reply;
  reply.status = status;
  reply.body = std::move(body);
  reply.headers.emplace_back("Content-Type", std::move(contentType));
  return reply;
}

LocalReply LocalReply::notFound() { return text("Not found\n", "text/plain; charset=utf-8", 404); }

LocalReply LocalReply::ranged(const LocalRequest& request, const std::string& content, std::string contentType) {
  const std::string size = std::to_string(content.size());
  const auto field = request.header("Range");
  const auto range = field ? parseRange(*field, content.size()) : std::nullopt;
  if (range && range->unsatisfiable) {
    LocalReply refused = text("", std::move(contentType), 416);
    refused.headers.emplace_back("Content-Range", "bytes */" + size);
    return refused;
  }
  if (!range) {
    LocalReply whole = text(content, std::move(contentType));
    whole.headers.emplace_back("Accept-Ranges", "bytes");
    return whole;
  }
  LocalReply partial = text(content.substr(range->first, range->last - range->first + 1), std::move(contentType), 206);
  partial.headers.emplace_back("Accept-Ranges", "bytes");
  partial.headers.emplace_back(
      "Content-Range", "bytes " + std::to_string(range->first) + "-" + std::to_string(range->last) + "/" + size);
  return partial;
}

}  // namespace net
