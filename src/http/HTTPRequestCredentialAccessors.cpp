// Accessors of the credential, proxy and challenge fields; each takes the request's lock.
#include "src/http/HTTPRequest.h"
#include "src/http/HTTPRequestBlocks.h"

namespace http {

std::optional<std::string> HTTPRequest::username() const { return lockedCopy(username_); }
void HTTPRequest::setUsername(std::optional<std::string> username) { lockedStore(username_, std::move(username)); }
std::optional<std::string> HTTPRequest::password() const { return lockedCopy(password_); }
void HTTPRequest::setPassword(std::optional<std::string> password) { lockedStore(password_, std::move(password)); }
std::string HTTPRequest::domain() const { return lockedCopy(domain_); }
void HTTPRequest::setDomain(std::string domain) { lockedStore(domain_, std::move(domain)); }
std::optional<std::string> HTTPRequest::proxyUsername() const { return lockedCopy(proxyUsername_); }
void HTTPRequest::setProxyUsername(std::optional<std::string> username) {
  lockedStore(proxyUsername_, std::move(username));
}
std::optional<std::string> HTTPRequest::proxyPassword() const { return lockedCopy(proxyPassword_); }
void HTTPRequest::setProxyPassword(std::optional<std::string> password) {
  lockedStore(proxyPassword_, std::move(password));
}
std::string HTTPRequest::proxyDomain() const { return lockedCopy(proxyDomain_); }
void HTTPRequest::setProxyDomain(std::string domain) { lockedStore(proxyDomain_, std::move(domain)); }
std::string HTTPRequest::proxyType() const { return lockedCopy(proxyType_); }
void HTTPRequest::setProxyType(std::string type) { lockedStore(proxyType_, std::move(type)); }
std::string HTTPRequest::PACurl() const { return lockedCopy(PACurl_); }
void HTTPRequest::setPACurl(std::string url) { lockedStore(PACurl_, std::move(url)); }

bool HTTPRequest::shouldPresentCredentialsBeforeChallenge() const {
  return lockedCopy(shouldPresentCredentialsBeforeChallenge_);
}
void HTTPRequest::setShouldPresentCredentialsBeforeChallenge(bool present) {
  lockedStore(shouldPresentCredentialsBeforeChallenge_, present);
}
bool HTTPRequest::shouldPresentAuthenticationDialog() const { return lockedCopy(shouldPresentAuthenticationDialog_); }
void HTTPRequest::setShouldPresentAuthenticationDialog(bool present) {
  lockedStore(shouldPresentAuthenticationDialog_, present);
}
bool HTTPRequest::shouldPresentProxyAuthenticationDialog() const {
  return lockedCopy(shouldPresentProxyAuthenticationDialog_);
}
void HTTPRequest::setShouldPresentProxyAuthenticationDialog(bool present) {
  lockedStore(shouldPresentProxyAuthenticationDialog_, present);
}
bool HTTPRequest::useSessionPersistence() const { return lockedCopy(useSessionPersistence_); }
void HTTPRequest::setUseSessionPersistence(bool use) { lockedStore(useSessionPersistence_, use); }
bool HTTPRequest::useKeychainPersistence() const { return lockedCopy(useKeychainPersistence_); }
void HTTPRequest::setUseKeychainPersistence(bool use) { lockedStore(useKeychainPersistence_, use); }

std::string HTTPRequest::authenticationScheme() const { return lockedCopy(authenticationScheme_); }
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
