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

net::CredentialsPtr HTTPRequest::findCredentials(const std::optional<net::Credentials>& saved) {
  UserAndPassword found;
  if (auto parsed = foundation::Url::parse(url_); parsed.ok()) found = {parsed->user(), parsed->password()};
  if (!found.complete()) {
    auto main = mainRequest_.lock();
    UserAndPassword fromMain;
    if (main) fromMain = {main->username(), main->password()};
    found = fromMain.complete() ? fromMain : UserAndPassword{settings_.username, settings_.password};
  }
  if (!found.complete() && settings_.useKeychainPersistence && saved) found = {saved->username, saved->password};
  if (!found.complete()) return nullptr;
  std::optional<std::string> accountDomain;
  if (requestAuthentication_ && requestAuthentication_->requiresAccountDomain()) {
    accountDomain = settings_.domain;
    if (settings_.domain.empty()) splitAccountDomain(*found.user, *accountDomain);
  }
  return net::makeCredentials(*found.user, *found.password, accountDomain);
}

net::CredentialsPtr HTTPRequest::findProxyCredentials(const std::optional<net::Credentials>& saved) {
  auto main = mainRequest_.lock();
  UserAndPassword fromMain;
  if (main) fromMain = {main->proxyUsername(), main->proxyPassword()};
  UserAndPassword found =
      fromMain.complete() ? fromMain : UserAndPassword{settings_.proxyUsername, settings_.proxyPassword};
  bool ntlm = proxyAuthenticationScheme_ == net::kHTTPAuthenticationSchemeNTLM;
  if (!found.complete() && ntlm) found = {settings_.username, settings_.password};
  if (!found.complete() && saved) found = {saved->username, saved->password};
  if (!found.complete()) return nullptr;
  std::optional<std::string> accountDomain;
  if (proxyAuthentication_ && proxyAuthentication_->requiresAccountDomain()) {
    accountDomain = settings_.proxyDomain;
    if (settings_.proxyDomain.empty()) splitAccountDomain(*found.user, *accountDomain);
    if (accountDomain->empty()) accountDomain = settings_.domain;
  }
  return net::makeCredentials(*found.user, *found.password, accountDomain);
}

std::optional<net::ProtectionSpace> HTTPRequest::savedCredentialSpace(bool proxy) {
  if (proxy) {
    if (findProxyCredentials(std::nullopt)) return std::nullopt;
    return proxySpace(settings_.proxyHost, settings_.proxyPort, proxyAuthenticationRealm_.value_or(""));
  }
  if (!settings_.useKeychainPersistence || findCredentials(std::nullopt)) return std::nullopt;
  auto parts = net::parseHTTPURL(url_);
  if (!parts.ok()) return std::nullopt;
  return serverSpace(parts->host, parts->port, parts->scheme, authenticationRealm_.value_or(""));
}

bool HTTPRequest::applyCredentials(const net::CredentialsPtr& credentials) {
  ++authenticationRetryCount_;
  if (!credentials || !requestAuthentication_ || !request_) return false;
  if (!requestAuthentication_->applyCredentials(*request_, *credentials)) {
    SessionCredentialStore::server().remove(credentials);
    return false;
  }
  if (settings_.useKeychainPersistence) saveCredentialsToKeychain(*credentials);
  if (settings_.useSessionPersistence) {
    SessionCredentialStore::server().store(
        {requestAuthentication_, credentials, url_, "", 0, settings_.authenticationScheme, authenticationRealm_});
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
  if (settings_.useKeychainPersistence) saveProxyCredentialsToKeychain(*credentials);
  if (settings_.useSessionPersistence) {
    SessionCredentialStore::proxy().store({proxyAuthentication_, credentials, "", settings_.proxyHost,
                                           settings_.proxyPort, proxyAuthenticationScheme_, std::nullopt});
  }
  proxyCredentials_ = credentials;
  presentedProxyCredentials_ = credentials;
  return true;
}

void HTTPRequest::saveCredentialsToKeychain(const net::Credentials& credentials) {
  auto parts = net::parseHTTPURL(url_);
  if (!parts.ok()) return;
  net::CredentialStorage::shared().keepPermanently(
      serverSpace(parts->host, parts->port, parts->scheme, authenticationRealm_.value_or("")), credentials,
      foundation::Duration(settings_.timeOutSeconds));
}

void HTTPRequest::saveProxyCredentialsToKeychain(const net::Credentials& credentials) {
  net::CredentialStorage::shared().keepPermanently(
      proxySpace(settings_.proxyHost, settings_.proxyPort, proxyAuthenticationRealm_.value_or("")), credentials,
      foundation::Duration(settings_.timeOutSeconds));
}

std::optional<SessionCredentials> HTTPRequest::findSessionAuthenticationCredentials() {
  return SessionCredentialStore::server().findForServer(url_, authenticationRealm_, settings_.username,
                                                        settings_.password);
}

std::optional<SessionCredentials> HTTPRequest::findSessionProxyAuthenticationCredentials() {
  return SessionCredentialStore::proxy().findForProxy(settings_.proxyHost, settings_.proxyPort, settings_.proxyUsername,
                                                      settings_.proxyPassword);
}

void HTTPRequest::addBasicAuthenticationHeaderWithUsername(const std::string& username, const std::string& password) {
  std::string pair = username + ":" + password;
  settings_.requestHeaders.set("Authorization", "Basic " + base64forData(foundation::Bytes(pair.begin(), pair.end())));
  settings_.authenticationScheme = net::kHTTPAuthenticationSchemeBasic;
}

void HTTPRequest::applyAuthorizationHeader() {
  if (!settings_.shouldPresentCredentialsBeforeChallenge || !request_) return;
  if (!settings_.requestHeaders.contains("Authorization")) {
    if (settings_.username && settings_.password &&
        settings_.authenticationScheme == net::kHTTPAuthenticationSchemeBasic) {
      addBasicAuthenticationHeaderWithUsername(*settings_.username, *settings_.password);
    } else if (settings_.useSessionPersistence) {
      if (auto entry = findSessionAuthenticationCredentials()) {
        if (!entry->authentication) {
          addBasicAuthenticationHeaderWithUsername(entry->credentials->username, entry->credentials->password);
        } else if (entry->authentication->applyCredentials(*request_, *entry->credentials)) {
          settings_.authenticationScheme = entry->authenticationScheme;
        } else {
          SessionCredentialStore::server().remove(entry->credentials);
        }
      }
    }
  }
  if (!settings_.useSessionPersistence) return;
  if (auto entry = findSessionProxyAuthenticationCredentials()) {
    if (entry->authentication && entry->authentication->applyCredentials(*request_, *entry->credentials)) {
      presentedProxyCredentials_ = entry->credentials;
    } else {
      SessionCredentialStore::proxy().remove(entry->credentials);
    }
  }
}

void HTTPRequest::storeAcceptedPreemptiveCredentials() {
  if (authenticationNeeded_ != 0 || requestAuthentication_ || !settings_.username || !settings_.password ||
      !settings_.useSessionPersistence || settings_.authenticationScheme != net::kHTTPAuthenticationSchemeBasic) {
    return;
  }
  // Every accepted response would otherwise add one more entry for the same URL and user.
  auto held = findSessionAuthenticationCredentials();
  if (held && held->url == url_) return;
  SessionCredentialStore::server().store({nullptr, net::makeCredentials(*settings_.username, *settings_.password), url_,
                                          "", 0, settings_.authenticationScheme, std::nullopt});
}

void HTTPRequest::forgetCredentialsForOrigin(const std::string& newURL) {
  auto before = net::parseHTTPURL(url_);
  auto after = net::parseHTTPURL(newURL);
  bool sameOrigin = before.ok() && after.ok() && before->scheme == after->scheme && before->host == after->host &&
                    before->port == after->port;
  if (sameOrigin) return;
  settings_.username.reset();
  settings_.password.reset();
  settings_.domain.clear();
  requestCredentials_.reset();
  settings_.authenticationScheme.clear();
  authenticationRealm_.reset();
  settings_.requestHeaders.erase("Authorization");
}

void HTTPRequest::copyCredentialSettingsInto(HTTPRequest& other) const {
  other.settings_.username = settings_.username;
  other.settings_.password = settings_.password;
  other.settings_.domain = settings_.domain;
  other.settings_.proxyUsername = settings_.proxyUsername;
  other.settings_.proxyPassword = settings_.proxyPassword;
  other.settings_.proxyDomain = settings_.proxyDomain;
  other.settings_.proxyHost = settings_.proxyHost;
  other.settings_.proxyPort = settings_.proxyPort;
  other.settings_.proxyType = settings_.proxyType;
  other.settings_.PACurl = settings_.PACurl;
  other.settings_.shouldPresentAuthenticationDialog = settings_.shouldPresentAuthenticationDialog;
  other.settings_.shouldPresentProxyAuthenticationDialog = settings_.shouldPresentProxyAuthenticationDialog;
  other.settings_.shouldPresentCredentialsBeforeChallenge = settings_.shouldPresentCredentialsBeforeChallenge;
  other.settings_.useSessionPersistence = settings_.useSessionPersistence;
  other.settings_.useKeychainPersistence = settings_.useKeychainPersistence;
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
