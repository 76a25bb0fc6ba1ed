// Finding, applying and keeping credentials: the request's own, the URL's, the session stores
// and the platform's credential storage; and the credentials sent before any challenge.
#include "platform/foundation/Base64.h"
#include "platform/foundation/Url.h"
#include "platform/net/CredentialStorage.h"
#include "platform/net/HTTPMessage.h"
#include "platform/net/URLParts.h"
#include "src/http/HTTPRequest.h"
#include "src/http/SessionCredentialStore.h"

namespace http {
namespace {

constexpr const char* kHTTPProxyType = "HTTP";

net::ProtectionSpace serverSpace(const std::string& host, int port, const std::string& protocol,
                                 const std::string& realm) {
  return {host, port, protocol, realm, ""};
}

net::ProtectionSpace proxySpace(const std::string& host, int port, const std::string& realm) {
  return {host, port, "", realm, kHTTPProxyType};
}

// "DOMAIN\user" names its account domain when no domain is set.
void splitAccountDomain(std::string& username, std::string& domain) {
  auto slash = username.find('\\');
  if (slash == std::string::npos || username.find('\\', slash + 1) != std::string::npos) return;
  domain = username.substr(0, slash);
  username = username.substr(slash + 1);
}

struct UserAndPassword {
  std::optional<std::string> user;
  std::optional<std::string> password;
  bool complete() const { return user && password; }
};

}  // namespace

net::CredentialsPtr HTTPRequest::findCredentials() {
  UserAndPassword found;
  if (auto parsed = foundation::Url::parse(url_); parsed.ok()) found = {parsed->user(), parsed->password()};
  if (!found.complete()) {
    auto main = mainRequest_.lock();
    UserAndPassword fromMain;
    if (main) fromMain = {main->username(), main->password()};
    found = fromMain.complete() ? fromMain : UserAndPassword{username_, password_};
  }
  if (!found.complete() && useKeychainPersistence_) {
    auto parts = net::parseHTTPURL(url_);
    auto saved = parts.ok()
                     ? savedCredentials(parts->host, parts->port, parts->scheme, authenticationRealm_.value_or(""))
                     : std::nullopt;
    if (saved) found = {saved->username, saved->password};
  }
  if (!found.complete()) return nullptr;
  std::optional<std::string> accountDomain;
  if (requestAuthentication_ && requestAuthentication_->requiresAccountDomain()) {
    accountDomain = domain_;
    if (domain_.empty()) splitAccountDomain(*found.user, *accountDomain);
  }
  return net::makeCredentials(*found.user, *found.password, accountDomain);
}

net::CredentialsPtr HTTPRequest::findProxyCredentials() {
  auto main = mainRequest_.lock();
  UserAndPassword fromMain;
  if (main) fromMain = {main->proxyUsername(), main->proxyPassword()};
  UserAndPassword found = fromMain.complete() ? fromMain : UserAndPassword{proxyUsername_, proxyPassword_};
  bool ntlm = proxyAuthenticationScheme_ == net::kHTTPAuthenticationSchemeNTLM;
  if (!found.complete() && ntlm) found = {username_, password_};
  if (!found.complete()) {
    if (auto saved = savedCredentialsForProxy(proxyHost_, proxyPort_, proxyAuthenticationRealm_.value_or(""))) {
      found = {saved->username, saved->password};
    }
  }
  if (!found.complete()) return nullptr;
  std::optional<std::string> accountDomain;
  if (proxyAuthentication_ && proxyAuthentication_->requiresAccountDomain()) {
    accountDomain = proxyDomain_;
    if (proxyDomain_.empty()) splitAccountDomain(*found.user, *accountDomain);
    if (accountDomain->empty()) accountDomain = domain_;
  }
  return net::makeCredentials(*found.user, *found.password, accountDomain);
}

bool HTTPRequest::applyCredentials(const net::CredentialsPtr& credentials) {
  ++authenticationRetryCount_;
  if (!credentials || !requestAuthentication_ || !request_) return false;
  if (!requestAuthentication_->applyCredentials(*request_, *credentials)) {
    SessionCredentialStore::server().remove(credentials);
    return false;
  }
  if (useKeychainPersistence_) saveCredentialsToKeychain(*credentials);
  if (useSessionPersistence_) {
    SessionCredentialStore::server().store(
        {requestAuthentication_, credentials, url_, "", 0, authenticationScheme_, authenticationRealm_});
  }
  requestCredentials_ = credentials;
  return true;
}

bool HTTPRequest::applyProxyCredentials(const net::CredentialsPtr& credentials) {
  ++proxyAuthenticationRetryCount_;
  if (!credentials || !proxyAuthentication_ || !request_) return false;
  if (!proxyAuthentication_->applyCredentials(*request_, *credentials)) {
    SessionCredentialStore::proxy().remove(credentials);
    return false;
  }
  if (useKeychainPersistence_) saveProxyCredentialsToKeychain(*credentials);
  if (useSessionPersistence_) {
    SessionCredentialStore::proxy().store(
        {proxyAuthentication_, credentials, "", proxyHost_, proxyPort_, proxyAuthenticationScheme_, std::nullopt});
  }
  proxyCredentials_ = credentials;
  return true;
}

void HTTPRequest::saveCredentialsToKeychain(const net::Credentials& credentials) {
  auto parts = net::parseHTTPURL(url_);
  if (!parts.ok()) return;
  saveCredentials(credentials, parts->host, parts->port, parts->scheme, authenticationRealm_.value_or(""));
}

void HTTPRequest::saveProxyCredentialsToKeychain(const net::Credentials& credentials) {
  saveCredentialsForProxy(credentials, proxyHost_, proxyPort_, proxyAuthenticationRealm_.value_or(""));
}

std::optional<SessionCredentials> HTTPRequest::findSessionAuthenticationCredentials() {
  return SessionCredentialStore::server().findForServer(url_, authenticationRealm_, username_, password_);
}

std::optional<SessionCredentials> HTTPRequest::findSessionProxyAuthenticationCredentials() {
  return SessionCredentialStore::proxy().findForProxy(proxyHost_, proxyPort_);
}

void HTTPRequest::addBasicAuthenticationHeaderWithUsername(const std::string& username, const std::string& password) {
  std::string pair = username + ":" + password;
  requestHeaders_.set("Authorization", "Basic " + base64forData(foundation::Bytes(pair.begin(), pair.end())));
  authenticationScheme_ = net::kHTTPAuthenticationSchemeBasic;
}

void HTTPRequest::applyAuthorizationHeader() {
  if (!shouldPresentCredentialsBeforeChallenge_ || !request_) return;
  if (!requestHeaders_.contains("Authorization")) {
    if (username_ && password_ && authenticationScheme_ == net::kHTTPAuthenticationSchemeBasic) {
      addBasicAuthenticationHeaderWithUsername(*username_, *password_);
    } else if (useSessionPersistence_) {
      if (auto entry = findSessionAuthenticationCredentials()) {
        if (!entry->authentication) {
          addBasicAuthenticationHeaderWithUsername(entry->credentials->username, entry->credentials->password);
        } else if (entry->authentication->applyCredentials(*request_, *entry->credentials)) {
          authenticationScheme_ = entry->authenticationScheme;
        } else {
          SessionCredentialStore::server().remove(entry->credentials);
        }
      }
    }
  }
  if (!useSessionPersistence_) return;
  if (auto entry = findSessionProxyAuthenticationCredentials()) {
    if (!entry->authentication || !entry->authentication->applyCredentials(*request_, *entry->credentials)) {
      SessionCredentialStore::proxy().remove(entry->credentials);
    }
  }
}

void HTTPRequest::storeAcceptedPreemptiveCredentials() {
  if (authenticationNeeded_ != 0 || requestAuthentication_ || !username_ || !password_ || !useSessionPersistence_ ||
      authenticationScheme_ != net::kHTTPAuthenticationSchemeBasic) {
    return;
  }
  // Every accepted response would otherwise add one more entry for the same URL and user.
  auto held = findSessionAuthenticationCredentials();
  if (held && held->url == url_) return;
  SessionCredentialStore::server().store(
      {nullptr, net::makeCredentials(*username_, *password_), url_, "", 0, authenticationScheme_, std::nullopt});
}

void HTTPRequest::forgetCredentialsForOrigin(const std::string& newURL) {
  auto before = net::parseHTTPURL(url_);
  auto after = net::parseHTTPURL(newURL);
  bool sameOrigin = before.ok() && after.ok() && before->scheme == after->scheme && before->host == after->host &&
                    before->port == after->port;
  if (sameOrigin) return;
  username_.reset();
  password_.reset();
  domain_.clear();
  requestCredentials_.reset();
  authenticationScheme_.clear();
  authenticationRealm_.reset();
  authenticationRetryCount_ = 0;
  requestHeaders_.erase("Authorization");
}

void HTTPRequest::copyCredentialSettingsInto(HTTPRequest& other) const {
  other.username_ = username_;
  other.password_ = password_;
  other.domain_ = domain_;
  other.proxyUsername_ = proxyUsername_;
  other.proxyPassword_ = proxyPassword_;
  other.proxyDomain_ = proxyDomain_;
  other.proxyHost_ = proxyHost_;
  other.proxyPort_ = proxyPort_;
  other.proxyType_ = proxyType_;
  other.PACurl_ = PACurl_;
  other.shouldPresentAuthenticationDialog_ = shouldPresentAuthenticationDialog_;
  other.shouldPresentProxyAuthenticationDialog_ = shouldPresentProxyAuthenticationDialog_;
  other.shouldPresentCredentialsBeforeChallenge_ = shouldPresentCredentialsBeforeChallenge_;
  other.useSessionPersistence_ = useSessionPersistence_;
  other.useKeychainPersistence_ = useKeychainPersistence_;
}

// --- Class-wide ---

void HTTPRequest::saveCredentials(const net::Credentials& credentials, const std::string& host, int port,
                                  const std::string& protocol, const std::string& realm) {
  (void)net::CredentialStorage::shared().setDefaultCredential(serverSpace(host, port, protocol, realm), credentials,
                                                              net::CredentialPersistence::permanent);
}

void HTTPRequest::saveCredentialsForProxy(const net::Credentials& credentials, const std::string& host, int port,
                                          const std::string& realm) {
  (void)net::CredentialStorage::shared().setDefaultCredential(proxySpace(host, port, realm), credentials,
                                                              net::CredentialPersistence::permanent);
}

std::optional<net::Credentials> HTTPRequest::savedCredentials(const std::string& host, int port,
                                                              const std::string& protocol, const std::string& realm) {
  return net::CredentialStorage::shared().defaultCredential(serverSpace(host, port, protocol, realm));
}

std::optional<net::Credentials> HTTPRequest::savedCredentialsForProxy(const std::string& host, int port,
                                                                      const std::string& realm) {
  return net::CredentialStorage::shared().defaultCredential(proxySpace(host, port, realm));
}

void HTTPRequest::removeCredentials(const std::string& host, int port, const std::string& protocol,
                                    const std::string& realm) {
  (void)net::CredentialStorage::shared().removeDefaultCredential(serverSpace(host, port, protocol, realm));
}

void HTTPRequest::removeCredentialsForProxy(const std::string& host, int port, const std::string& realm) {
  (void)net::CredentialStorage::shared().removeDefaultCredential(proxySpace(host, port, realm));
}

std::vector<SessionCredentials> HTTPRequest::sessionCredentialsStore() {
  return SessionCredentialStore::server().entries();
}

std::vector<SessionCredentials> HTTPRequest::sessionProxyCredentialsStore() {
  return SessionCredentialStore::proxy().entries();
}

void HTTPRequest::storeAuthenticationCredentialsInSessionStore(SessionCredentials entry) {
  SessionCredentialStore::server().store(std::move(entry));
}

void HTTPRequest::storeProxyAuthenticationCredentialsInSessionStore(SessionCredentials entry) {
  SessionCredentialStore::proxy().store(std::move(entry));
}

void HTTPRequest::removeAuthenticationCredentialsFromSessionStore(const net::CredentialsPtr& credentials) {
  SessionCredentialStore::server().remove(credentials);
}

void HTTPRequest::removeProxyAuthenticationCredentialsFromSessionStore(const net::CredentialsPtr& credentials) {
  SessionCredentialStore::proxy().remove(credentials);
}

}  // namespace http
