// The answer to a 401 or 407 challenge.
#include "platform/net/CredentialStorage.h"
#include "platform/net/HTTPMessage.h"
#include "src/http/AuthenticationDialog.h"
#include "src/http/HTTPRequest.h"
#include "src/http/HTTPRequestBlocks.h"
#include "src/http/SessionCredentialStore.h"

namespace http {
namespace {

// Makes the credential search of one request at a time exclusive, so that one request asks
// while the others wait and then find the answer in the session store.
std::recursive_mutex& credentialPromptLock() {
  static std::recursive_mutex lock;
  return lock;
}

// How often one request sends the credentials it holds. A Digest party that calls every answer
// stale would otherwise be answered for ever, and each answer keeps the time-out from firing.
constexpr int kMaxCredentialApplications = 4;

foundation::ErrorPtr applyFailedError(bool proxy) {
  return makeRequestError(HTTPRequestErrorCode::credentials, proxy ? "Failed to apply proxy credentials to request"
                                                                   : "Failed to apply credentials to request");
}

}  // namespace

struct HTTPRequest::Side {
  std::shared_ptr<net::HTTPAuthentication>& authentication;
  net::CredentialsPtr& credentials;
  int& retryCount;
  std::string& scheme;
  std::optional<std::string>& realm;
};

HTTPRequest::Side HTTPRequest::side(bool proxy) {
  if (proxy) {
    return {proxyAuthentication_, proxyCredentials_, proxyAuthenticationRetryCount_, proxyAuthenticationScheme_,
            proxyAuthenticationRealm_};
  }
  return {requestAuthentication_, requestCredentials_, authenticationRetryCount_, settings_.authenticationScheme,
          authenticationRealm_};
}

void HTTPRequest::attemptToApplyCredentialsAndResume() {
  if (error_ || isCancelled()) return;
  if (authenticationNeeded_ == 2) {
    attemptToApplyProxyCredentialsAndResume();
    return;
  }
  answerChallenge(false);
}

void HTTPRequest::attemptToApplyProxyCredentialsAndResume() {
  if (error_ || isCancelled()) return;
  answerChallenge(true);
}

void HTTPRequest::answerChallenge(bool proxy) {
  Side s = side(proxy);
  if (!ensureAuthentication(proxy)) {
    cancelLoad();
    failWithError(makeRequestError(HTTPRequestErrorCode::credentials,
                                   "Failed to get authentication object from response headers"));
    return;
  }
  s.realm = s.authentication->requiresAccountDomain() ? std::nullopt : s.authentication->realm();
  if (long long reason = 0; !s.authentication->isValid(&reason)) {
    handleRefusedCredentials(proxy, reason);
    return;
  }
  cancelLoad();  // the challenge's body is of no use
  if (s.credentials) {
    retryWithHeldCredentials(proxy);
    return;
  }
  if (!s.authentication->requiresUserNameAndPassword()) return;
  std::scoped_lock prompt(credentialPromptLock());
  if (error_ || isCancelled()) return;
  if (applySessionCredentials(proxy)) {
    startRequest();
    return;
  }
  if (auto space = savedCredentialSpace(proxy)) {
    lookUpSavedCredentials(proxy, *space);
    return;
  }
  finishCredentialSearch(proxy, std::nullopt);
}

void HTTPRequest::lookUpSavedCredentials(bool proxy, const net::ProtectionSpace& space) {
  // The keyring's time-out is the request's: its own clock waits, as while a delegate is asked.
  lastActivityTime_.reset();
  net::CredentialStorage::shared().findDefaultCredential(
      space, foundation::Duration(settings_.timeOutSeconds),
      [request = self(), proxy](std::optional<net::Credentials> saved) {
        networkLoop().post([request, proxy, saved = std::move(saved)] {
          Lock lock(request->cancelledLock_);
          std::scoped_lock prompt(credentialPromptLock());
          if (request->error_ || request->isCancelled()) return;
          request->finishCredentialSearch(proxy, saved);
        });
      });
}

void HTTPRequest::finishCredentialSearch(bool proxy, const std::optional<net::Credentials>& saved) {
  auto found = proxy ? findProxyCredentials(saved) : findCredentials(saved);
  if (!found) {
    askForCredentialsOrFail(proxy);
    return;
  }
  applyAndRestart(proxy, found);
}

bool HTTPRequest::ensureAuthentication(bool proxy) {
  Side s = side(proxy);
  bool isNew = std::exchange(challengeIsNew_, false);
  if (s.authentication) {
    // The same object meeting a new challenge learns whether its credentials were refused.
    if (isNew && lastChallenge_) s.authentication->updateFromResponse(*lastChallenge_);
    return true;
  }
  if (!lastChallenge_) return false;
  s.authentication = net::HTTPAuthentication::createFromResponse(*lastChallenge_);
  if (!s.authentication) return false;
  s.scheme = s.authentication->method();
  return true;
}

void HTTPRequest::retryWithHeldCredentials(bool proxy) {
  Side s = side(proxy);
  bool ntlm = s.scheme == net::kHTTPAuthenticationSchemeNTLM;
  if (!ntlm && s.retryCount >= kMaxCredentialApplications) {
    failWithError(authenticationNeededError());
  } else if (!ntlm || s.retryCount <= 1) {
    applyAndRestart(proxy, s.credentials);
  } else if (s.retryCount == 2) {
    failWithError(authenticationNeededError());
  } else {
    failWithError(applyFailedError(proxy));
  }
}

void HTTPRequest::handleRefusedCredentials(bool proxy, long long reason) {
  Side s = side(proxy);
  s.authentication.reset();
  if (reason == net::kHTTPAuthenticationBadUserName || reason == net::kHTTPAuthenticationBadPassword) {
    std::scoped_lock prompt(credentialPromptLock());
    (proxy ? SessionCredentialStore::proxy() : SessionCredentialStore::server()).remove(s.credentials);
    s.credentials.reset();
    if (error_ || isCancelled()) return;
    if (settings_.useSessionPersistence && applySessionCredentials(proxy)) {
      startRequest();
      return;
    }
    lastActivityTime_.reset();
    // Whoever is asked answers through retryUsingSuppliedCredentials() or cancelAuthentication().
    // The proxy side stops here too: stepping through the challenge again would ask twice.
    if (willAskDelegate(proxy) || showAuthenticationDialog(proxy)) return;
  }
  cancelLoad();
  failWithError(authenticationNeededError());
}

bool HTTPRequest::applySessionCredentials(bool proxy) {
  auto entry = proxy ? findSessionProxyAuthenticationCredentials() : findSessionAuthenticationCredentials();
  if (!entry) return false;
  return proxy ? applyProxyCredentials(entry->credentials) : applyCredentials(entry->credentials);
}

void HTTPRequest::askForCredentialsOrFail(bool proxy) {
  lastActivityTime_.reset();
  if (willAskDelegate(proxy) || showAuthenticationDialog(proxy)) return;
  failWithError(authenticationNeededError());
}

void HTTPRequest::applyAndRestart(bool proxy, const net::CredentialsPtr& credentials) {
  if (proxy ? applyProxyCredentials(credentials) : applyCredentials(credentials)) {
    startRequest();
  } else {
    failWithError(applyFailedError(proxy));
  }
}

bool HTTPRequest::willAskDelegate(bool proxy) {
  if (isSynchronous_) return false;
  auto optional = proxy ? HTTPRequestDelegate::Optional::proxyAuthenticationNeeded
                        : HTTPRequestDelegate::Optional::authenticationNeeded;
  std::shared_ptr<HTTPRequestDelegate> target = settings_.delegate.lock();
  if (!target) target = queue_;
  bool hasBlock = static_cast<bool>(proxy ? blocks_->proxyAuthenticationNeeded : blocks_->authenticationNeeded);
  if (!(target && target->respondsTo(optional)) && !hasBlock) return false;
  onMainThread([proxy](HTTPRequest& request) { request.askDelegateForCredentials(proxy); });
  return true;
}

void HTTPRequest::askDelegateForCredentials(bool proxy) {
  auto optional = proxy ? HTTPRequestDelegate::Optional::proxyAuthenticationNeeded
                        : HTTPRequestDelegate::Optional::authenticationNeeded;
  std::shared_ptr<HTTPRequestDelegate> target = delegate();
  if (!target) target = queue();
  if (target && target->respondsTo(optional)) {
    if (proxy) {
      target->proxyAuthenticationNeededForRequest(*this);
    } else {
      target->authenticationNeededForRequest(*this);
    }
    return;
  }
  auto block = blockCopy(proxy ? &Blocks::proxyAuthenticationNeeded : &Blocks::authenticationNeeded);
  if (block) block();
}

bool HTTPRequest::showAuthenticationDialog(bool proxy) {
  if (isSynchronous_) return false;
  if (!(proxy ? settings_.shouldPresentProxyAuthenticationDialog : settings_.shouldPresentAuthenticationDialog))
    return false;
  onMainThread(
      [](HTTPRequest& request) { AuthenticationDialog::presentAuthenticationDialogForRequest(request.self()); });
  return true;
}

void HTTPRequest::retryUsingSuppliedCredentials() {
  networkLoop().post([request = self()] {
    Lock lock(request->cancelledLock_);
    if (request->request_) {
      request->attemptToApplyCredentialsAndResume();
    } else {
      request->main();
    }
  });
}

void HTTPRequest::cancelAuthentication() {
  networkLoop().post([request = self()] {
    Lock lock(request->cancelledLock_);
    request->failAuthentication();
  });
}

void HTTPRequest::failAuthentication() {
  if (error_ || isFinished()) return;  // a late answer to a request that already ended
  failWithError(authenticationNeededError());
}

}  // namespace http
