// The cookies received during this run, and forgetting the session.
#include <algorithm>

#include "platform/foundation/NoDestructor.h"
#include "src/http/HTTPRequest.h"
#include "src/http/SessionCredentialStore.h"

namespace http {
namespace {

std::recursive_mutex& sessionCookiesLock() {
  static std::recursive_mutex lock;
  return lock;
}

std::vector<net::Cookie>& sessionCookieList() {
  static foundation::NoDestructor<std::vector<net::Cookie>> cookies;
  return *cookies;
}

}  // namespace

std::vector<net::Cookie> HTTPRequest::sessionCookies() {
  std::scoped_lock lock(sessionCookiesLock());
  return sessionCookieList();
}

void HTTPRequest::setSessionCookies(std::vector<net::Cookie> cookies) {
  std::scoped_lock lock(sessionCookiesLock());
  for (const auto& cookie : sessionCookieList()) net::CookieStore::shared().deleteCookie(cookie);
  sessionCookieList() = std::move(cookies);
}

void HTTPRequest::addSessionCookie(const net::Cookie& cookie) {
  std::scoped_lock lock(sessionCookiesLock());
  auto& list = sessionCookieList();
  auto same = std::find_if(list.begin(), list.end(), [&](const net::Cookie& held) {
    return held.domain == cookie.domain && held.path == cookie.path && held.name == cookie.name;
  });
  if (same != list.end()) list.erase(same);
  list.push_back(cookie);
}

void HTTPRequest::clearSession() {
  SessionCredentialStore::server().clear();
  setSessionCookies({});
  if (auto cache = defaultCache()) (void)cache->clearCachedResponsesForStoragePolicy(kCacheForSessionDurationOnly);
}

}  // namespace http
