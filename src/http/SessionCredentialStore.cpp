#include "src/http/SessionCredentialStore.h"

#include <algorithm>

#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/Url.h"

namespace http {
namespace {

using Lock = std::scoped_lock<std::recursive_mutex>;

bool sameOrigin(const std::string& a, const std::string& b) {
  auto left = foundation::Url::parse(a);
  auto right = foundation::Url::parse(b);
  return left && right && left->host() == right->host() && left->port() == right->port() &&
         left->scheme() == right->scheme();
}

// An entry serves a request that names no full login; one that does must find that very login.
bool holdsLogin(const SessionCredentials& entry, const std::optional<std::string>& username,
                const std::optional<std::string>& password) {
  if (!username || !password) return true;
  return entry.credentials && entry.credentials->username == *username && entry.credentials->password == *password;
}

}  // namespace

SessionCredentialStore& SessionCredentialStore::server() {
  static foundation::NoDestructor<SessionCredentialStore> store;
  return *store;
}

SessionCredentialStore& SessionCredentialStore::proxy() {
  static foundation::NoDestructor<SessionCredentialStore> store;
  return *store;
}

std::recursive_mutex& SessionCredentialStore::lock() {
  static std::recursive_mutex mutex;
  return mutex;
}

std::vector<SessionCredentials> SessionCredentialStore::entries() const {
  Lock guard(lock());
  return entries_;
}

void SessionCredentialStore::store(SessionCredentials entry) {
  Lock guard(lock());
  std::erase_if(entries_, [&](const SessionCredentials& held) { return held.credentials == entry.credentials; });
  entries_.push_back(std::move(entry));
}

void SessionCredentialStore::remove(const net::CredentialsPtr& credentials) {
  Lock guard(lock());
  auto found = std::find_if(entries_.begin(), entries_.end(),
                            [&](const SessionCredentials& held) { return held.credentials == credentials; });
  if (found != entries_.end()) entries_.erase(found);
}

void SessionCredentialStore::clear() {
  Lock guard(lock());
  entries_.clear();
}

std::optional<SessionCredentials> SessionCredentialStore::findForServer(
    const std::string& url, const std::optional<std::string>& realm, const std::optional<std::string>& username,
    const std::optional<std::string>& password) const {
  Lock guard(lock());
  std::optional<SessionCredentials> candidate;
  for (const auto& entry : entries_) {
    bool exact = entry.url == url;
    if (!exact && (candidate || !sameOrigin(entry.url, url))) continue;
    if (realm && entry.authenticationRealm && *realm != *entry.authenticationRealm) continue;
    if (!holdsLogin(entry, username, password)) continue;
    if (exact) return entry;
    candidate = entry;
  }
  return candidate;
}

std::optional<SessionCredentials> SessionCredentialStore::findForProxy(
    const std::string& host, int port, const std::optional<std::string>& username,
    const std::optional<std::string>& password) const {
  Lock guard(lock());
  for (const auto& entry : entries_) {
    if (entry.host == host && entry.port == port && holdsLogin(entry, username, password)) return entry;
  }
  return std::nullopt;
}

}  // namespace http
