#include "platform/net/CookieStore.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "platform/foundation/Clock.h"
#include "platform/net/CookieDate.h"
#include "platform/net/URLParts.h"

namespace net {
namespace {

// Larger name-value pairs are ignored, as browsers do.
constexpr std::size_t kMaxCookieBytes = 4096;

std::string_view trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool hasControlCharacters(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

double now() { return foundation::Clock::current().wallNow().secondsSince1970; }

// The directory of the request path: "/" for "" or "/x", "/a" for "/a/b".
std::string defaultPath(const std::string& requestPath) {
  if (requestPath.empty() || requestPath.front() != '/') return "/";
  const std::string path = requestPath.substr(0, requestPath.find('?'));
  const auto last = path.rfind('/');
  return last == 0 ? "/" : path.substr(0, last);
}

bool domainMatches(const std::string& host, const std::string& domain, bool hostIsAddress) {
  if (host == domain) return true;
  return !hostIsAddress && host.size() > domain.size() && host.ends_with(domain) &&
         host[host.size() - domain.size() - 1] == '.';
}

bool pathMatches(const std::string& requestPath, const std::string& cookiePath) {
  if (requestPath == cookiePath) return true;
  if (!requestPath.starts_with(cookiePath)) return false;
  return cookiePath.back() == '/' || requestPath[cookiePath.size()] == '/';
}

bool isExpired(const Cookie& cookie, double at) { return cookie.expires && cookie.expires->secondsSince1970 <= at; }

std::optional<double> parseMaxAge(std::string_view value) {
  if (value.empty() || !(value.front() == '-' || (value.front() >= '0' && value.front() <= '9'))) return std::nullopt;
  long long seconds = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
  if (end != value.data() + value.size()) return std::nullopt;
  if (error == std::errc::result_out_of_range)
    seconds = value.front() == '-' ? -1 : std::numeric_limits<int>::max();
  else if (error != std::errc())
    return std::nullopt;
  return static_cast<double>(seconds);
}

struct Attributes {
  std::optional<foundation::Date> expires;
  std::optional<double> maxAge;
  std::optional<std::string> domain;
  std::optional<std::string> path;
  bool secure = false;
  bool httpOnly = false;
};

Attributes parseAttributes(std::string_view text) {
  Attributes attributes;
  while (!text.empty()) {
    const auto semicolon = text.find(';');
    const std::string_view attribute = text.substr(0, semicolon);
    text = semicolon == std::string_view::npos ? std::string_view() : text.substr(semicolon + 1);
    const auto equals = attribute.find('=');
    const std::string name = toLowerASCII(std::string(trim(attribute.substr(0, equals))));
    const std::string_view value =
        equals == std::string_view::npos ? std::string_view() : trim(attribute.substr(equals + 1));
    if (name == "expires") {
      if (auto date = parseCookieDate(value)) attributes.expires = date;
    } else if (name == "max-age") {
      if (auto seconds = parseMaxAge(value)) attributes.maxAge = seconds;
    } else if (name == "domain") {
      std::string domain = toLowerASCII(std::string(value));
      if (!domain.empty() && domain.front() == '.') domain.erase(0, 1);
      if (!domain.empty()) attributes.domain = domain;
    } else if (name == "path") {
      if (!value.empty() && value.front() == '/') attributes.path = std::string(value);
    } else if (name == "secure") {
      attributes.secure = true;
    } else if (name == "httponly") {
      attributes.httpOnly = true;
    }
  }
  return attributes;
}

}  // namespace

CookieStore& CookieStore::shared() {
  static CookieStore* store = new CookieStore();  // lives for the run
  return *store;
}

std::optional<Cookie> CookieStore::parseSetCookie(std::string_view setCookie, const std::string& url) {
  auto parts = parseHTTPURL(url);
  if (!parts) return std::nullopt;
  const auto semicolon = setCookie.find(';');
  const std::string_view pair = setCookie.substr(0, semicolon);
  const auto equals = pair.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  Cookie cookie;
  cookie.name = std::string(trim(pair.substr(0, equals)));
  cookie.value = std::string(trim(pair.substr(equals + 1)));
  if (cookie.name.empty() || cookie.name.size() + cookie.value.size() > kMaxCookieBytes ||
      hasControlCharacters(cookie.name) || hasControlCharacters(cookie.value))
    return std::nullopt;

  const Attributes attributes =
      parseAttributes(semicolon == std::string_view::npos ? std::string_view() : setCookie.substr(semicolon + 1));
  const double at = now();
  if (attributes.maxAge)
    cookie.expires = foundation::Date{*attributes.maxAge <= 0 ? 0.0 : at + *attributes.maxAge};
  else
    cookie.expires = attributes.expires;

  // A domain attribute must cover the host; a bare top-level name is kept to the host alone.
  const bool bareName = attributes.domain && attributes.domain->find('.') == std::string::npos;
  if (attributes.domain && !(bareName && *attributes.domain == parts->host)) {
    if (bareName || !domainMatches(parts->host, *attributes.domain, parts->hostIsAddress)) return std::nullopt;
    cookie.domain = *attributes.domain;
    cookie.hostOnly = false;
  } else {
    cookie.domain = parts->host;
    cookie.hostOnly = true;
  }
  cookie.path = attributes.path ? *attributes.path : defaultPath(parts->path);
  cookie.secure = attributes.secure;
  cookie.httpOnly = attributes.httpOnly;
  if (cookie.secure && parts->scheme != "https") return std::nullopt;
  cookie.created = foundation::Date{at};
  return cookie;
}

std::vector<Cookie> CookieStore::cookiesFromResponse(const HTTPMessage& response, const std::string& url) {
  std::vector<Cookie> cookies;
  for (const std::string& value : response.headerFieldValues("Set-Cookie"))
    if (auto cookie = parseSetCookie(value, url)) cookies.push_back(std::move(*cookie));
  return cookies;
}

void CookieStore::setCookies(const std::vector<Cookie>& cookies, const std::string& url) {
  auto parts = parseHTTPURL(url);
  if (!parts) return;
  std::lock_guard lock(mutex_);
  for (const Cookie& cookie : cookies) {
    const bool covered = cookie.hostOnly ? cookie.domain == parts->host
                                         : domainMatches(parts->host, cookie.domain, parts->hostIsAddress);
    if (!covered || (cookie.secure && parts->scheme != "https")) continue;
    storeLocked(cookie);
  }
}

void CookieStore::setCookie(const Cookie& cookie) {
  std::lock_guard lock(mutex_);
  storeLocked(cookie);
}

void CookieStore::storeLocked(const Cookie& cookie) {
  auto same = std::find_if(cookies_.begin(), cookies_.end(), [&](const Cookie& stored) {
    return stored.name == cookie.name && stored.domain == cookie.domain && stored.path == cookie.path;
  });
  if (isExpired(cookie, now())) {
    if (same != cookies_.end()) cookies_.erase(same);
    return;
  }
  if (same == cookies_.end()) {
    cookies_.push_back(cookie);
    return;
  }
  const foundation::Date created = same->created;  // a replaced cookie keeps its age
  *same = cookie;
  same->created = created;
}

void CookieStore::deleteCookie(const Cookie& cookie) {
  std::lock_guard lock(mutex_);
  std::erase_if(cookies_, [&](const Cookie& stored) {
    return stored.name == cookie.name && stored.domain == cookie.domain && stored.path == cookie.path;
  });
}

void CookieStore::dropExpiredLocked() const {
  const double at = now();
  std::erase_if(cookies_, [&](const Cookie& cookie) { return isExpired(cookie, at); });
}

std::vector<Cookie> CookieStore::cookiesForURL(const std::string& url) const {
  auto parts = parseHTTPURL(url);
  if (!parts) return {};
  std::lock_guard lock(mutex_);
  dropExpiredLocked();
  std::vector<Cookie> matching;
  for (const Cookie& cookie : cookies_) {
    const bool hostMatches = cookie.hostOnly ? cookie.domain == parts->host
                                             : domainMatches(parts->host, cookie.domain, parts->hostIsAddress);
    if (hostMatches && pathMatches(parts->path, cookie.path) && (!cookie.secure || parts->scheme == "https"))
      matching.push_back(cookie);
  }
  std::stable_sort(matching.begin(), matching.end(), [](const Cookie& a, const Cookie& b) {
    if (a.path.size() != b.path.size()) return a.path.size() > b.path.size();
    return a.created < b.created;
  });
  return matching;
}

std::vector<Cookie> CookieStore::allCookies() const {
  std::lock_guard lock(mutex_);
  dropExpiredLocked();
  return cookies_;
}

void CookieStore::removeAllCookies() {
  std::lock_guard lock(mutex_);
  cookies_.clear();
}

}  // namespace net
