// Accessors of the credential, proxy and challenge fields; each takes the request's lock.
#include "src/http/HTTPRequest.h"
#include "src/http/HTTPRequestBlocks.h"

namespace http {

std::optional<std::string> HTTPRequest::username() const { return lockedCopy(settings_.username); }
void HTTPRequest::setUsername(std::optional<std::string> username) {
  lockedStore(settings_.username, std::move(username));
}
std::optional<std::string> HTTPRequest::password() const { return lockedCopy(settings_.password); }
void HTTPRequest::setPassword(std::optional<std::string> password) {
  lockedStore(settings_.password, std::move(password));
}
std::string HTTPRequest::domain() const { return lockedCopy(settings_.domain); }
void HTTPRequest::setDomain(std::string domain) { lockedStore(settings_.domain, std::move(domain)); }
std::optional<std::string> HTTPRequest::proxyUsername() const { return lockedCopy(settings_.proxyUsername); }
void HTTPRequest::setProxyUsername(std::optional<std::string> username) {
  lockedStore(settings_.proxyUsername, std::move(username));
}
std::optional<std::string> HTTPRequest::proxyPassword() const { return lockedCopy(settings_.proxyPassword); }
void HTTPRequest::setProxyPassword(std::optional<std::string> password) {
  lockedStore(settings_.proxyPassword, std::move(password));
}
std::string HTTPRequest::proxyDomain() const { return lockedCopy(settings_.proxyDomain); }
void HTTPRequest::setProxyDomain(std::string domain) { lockedStore(settings_.proxyDomain, std::move(domain)); }
std::string HTTPRequest::proxyType() const { return lockedCopy(settings_.proxyType); }
void HTTPRequest::setProxyType(std::string type) { lockedStore(settings_.proxyType, std::move(type)); }
std::string HTTPRequest::PACurl() const { return lockedCopy(settings_.PACurl); }
void HTTPRequest::setPACurl(std::string url) { lockedStore(settings_.PACurl, std::move(url)); }

bool HTTPRequest::shouldPresentCredentialsBeforeChallenge() const {
  return lockedCopy(settings_.shouldPresentCredentialsBeforeChallenge);
}
void HTTPRequest::setShouldPresentCredentialsBeforeChallenge(bool present) {
  lockedStore(settings_.shouldPresentCredentialsBeforeChallenge, present);
}
bool HTTPRequest::shouldPresentAuthenticationDialog() const {
  return lockedCopy(settings_.shouldPresentAuthenticationDialog);
}
void HTTPRequest::setShouldPresentAuthenticationDialog(bool present) {
  lockedStore(settings_.shouldPresentAuthenticationDialog, present);
}
bool HTTPRequest::shouldPresentProxyAuthenticationDialog() const {
  return lockedCopy(settings_.shouldPresentProxyAuthenticationDialog);
}
void HTTPRequest::setShouldPresentProxyAuthenticationDialog(bool present) {
  lockedStore(settings_.shouldPresentProxyAuthenticationDialog, present);
}
bool HTTPRequest::useSessionPersistence() const { return lockedCopy(settings_.useSessionPersistence); }
void HTTPRequest::setUseSessionPersistence(bool use) { lockedStore(settings_.useSessionPersistence, use); }
bool HTTPRequest::useKeychainPersistence() const { return lockedCopy(settings_.useKeychainPersistence); }
void HTTPRequest::setUseKeychainPersistence(bool use) { lockedStore(settings_.useKeychainPersistence, use); }

std::string HTTPRequest::authenticationScheme() const { return lockedCopy(settings_.authenticationScheme); }
std::optional<std::string> HTTPRequest::authenticationRealm() const { return lockedCopy(authenticationRealm_); }
std::string HTTPRequest::proxyAuthenticationScheme() const { return lockedCopy(proxyAuthenticationScheme_); }
std::optional<std::string> HTTPRequest::proxyAuthenticationRealm() const {
  return lockedCopy(proxyAuthenticationRealm_);
}
int HTTPRequest::authenticationRetryCount() const { return lockedCopy(authenticationRetryCount_); }
int HTTPRequest::proxyAuthenticationRetryCount() const { return lockedCopy(proxyAuthenticationRetryCount_); }

void HTTPRequest::setAuthenticationNeededBlock(BasicBlock block) {
  setBlock(&Blocks::authenticationNeeded, std::move(block));
}
void HTTPRequest::setProxyAuthenticationNeededBlock(BasicBlock block) {
  setBlock(&Blocks::proxyAuthenticationNeeded, std::move(block));
}

}  // namespace http
