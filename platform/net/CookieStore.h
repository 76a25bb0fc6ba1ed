#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/net/HTTPMessage.h"

namespace net {

struct Cookie {
  std::string name;
  std::string value;
  std::string domain;                       // lower case, no leading dot
  std::string path;                         // starts with "/"
  std::optional<foundation::Date> expires;  // nullopt: kept for this run only
  bool secure = false;
  bool httpOnly = false;
  bool hostOnly = true;  // sent to `domain` only, not to its subdomains
  foundation::Date created;

  bool isSessionOnly() const { return !expires.has_value(); }
  friend bool operator==(const Cookie&, const Cookie&) = default;
};

// The process's cookies, in memory, with the storage and matching rules of the cookie standard
// (Set-Cookie parsing, default domain and path, Max-Age before Expires, secure and host-only
// cookies, domain attributes that must cover the setting host). Expiry is measured on
// foundation::Clock::current().wallNow(). Every method is thread-safe.
class CookieStore {
 public:
  CookieStore() = default;
  CookieStore(const CookieStore&) = delete;
  CookieStore& operator=(const CookieStore&) = delete;

  // Any thread. The shared store, made on first use and kept for the run.
  static CookieStore& shared();

  // Any thread. The cookies that the response's Set-Cookie fields set for `url`; fields that are
  // malformed or not allowed for the URL (a domain not covering its host, a secure cookie from
  // plain http) are skipped.
  static std::vector<Cookie> cookiesFromResponse(const HTTPMessage& response, const std::string& url);
  // Any thread. One Set-Cookie value received from `url`; nullopt when it must be ignored.
  static std::optional<Cookie> parseSetCookie(std::string_view setCookie, const std::string& url);

  // Any thread. Stores cookies received from `url`, applying the same rules; a cookie that has
  // expired deletes the stored cookie of the same name, domain and path.
  void setCookies(const std::vector<Cookie>& cookies, const std::string& url);
  // Any thread. Stores one cookie as it is (replacing one of the same name, domain and path).
  void setCookie(const Cookie& cookie);
  // Any thread. Removes the cookie of the same name, domain and path, if stored.
  void deleteCookie(const Cookie& cookie);
  // Any thread. The unexpired cookies to send to `url`: longer paths first, then older first.
  std::vector<Cookie> cookiesForURL(const std::string& url) const;
  // Any thread. Every unexpired cookie.
  std::vector<Cookie> allCookies() const;
  // Any thread.
  void removeAllCookies();

 private:
  void storeLocked(const Cookie& cookie);
  void dropExpiredLocked() const;

  mutable std::mutex mutex_;
  mutable std::vector<Cookie> cookies_;
};

}  // namespace net
