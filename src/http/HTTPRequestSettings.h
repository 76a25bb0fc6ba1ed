#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/net/Certificate.h"
#include "platform/net/ClientIdentity.h"
#include "platform/net/CookieStore.h"
#include "src/http/CacheDelegate.h"
#include "src/http/HTTPRequestDelegate.h"
#include "src/http/ProgressDelegate.h"

namespace http {

// A weak pointer that compares equal to another pointing at the same object, so that a value
// holding one can compare itself member by member.
template <class T>
class WeakReference {
 public:
  WeakReference() = default;
  template <class U>
  WeakReference(const std::shared_ptr<U>& target) : target_(target) {}
  template <class U>
  WeakReference(const std::weak_ptr<U>& target) : target_(target) {}

  std::shared_ptr<T> lock() const { return target_.lock(); }
  bool expired() const { return target_.expired(); }
  void reset() { target_.reset(); }

  friend bool operator==(const WeakReference& a, const WeakReference& b) {
    return !a.target_.owner_before(b.target_) && !b.target_.owner_before(a.target_);
  }

 private:
  std::weak_ptr<T> target_;
};

// What a caller sets on a request before it starts and a copy of the request takes over whole;
// the state of an exchange stays in the request.
struct HTTPRequestSettings {
  using RequestSelector = void (HTTPRequestDelegate::*)(HTTPRequest&);

  WeakReference<HTTPRequestDelegate> delegate;
  WeakReference<ProgressDelegate> uploadProgressDelegate;
  WeakReference<ProgressDelegate> downloadProgressDelegate;
  std::string requestMethod = "GET";
  foundation::Dictionary requestHeaders;
  std::vector<net::Cookie> requestCookies;
  bool useCookiePersistence = true;
  bool allowCompressedResponse = true;
  std::uint64_t maxResponseDataSize = 0;  // 0: no maximum
  bool shouldCompressRequestBody = false;
  std::string downloadDestinationPath;
  std::string temporaryFileDownloadPath;
  bool allowResumeForFileDownloads = false;
  double timeOutSeconds = 0;
  int numberOfTimesToRetryOnTimeout = 0;
  bool showAccurateProgress = true;
  bool shouldResetUploadProgress = true;
  bool shouldResetDownloadProgress = true;
  std::string defaultResponseEncoding = "ISO-8859-1";
  bool useHTTPVersionOne = false;
  bool shouldRedirect = true;
  bool shouldUseRFC2616RedirectBehaviour = false;
  bool validatesSecureCertificate = true;
  std::shared_ptr<const net::ClientIdentity> clientCertificateIdentity;
  std::vector<std::shared_ptr<const net::Certificate>> clientCertificates;
  bool shouldAttemptPersistentConnection = true;
  double persistentConnectionTimeoutSeconds = 60.0;
  std::string proxyHost;
  int proxyPort = 0;
  std::string proxyType;
  std::string PACurl;

  std::optional<std::string> username;
  std::optional<std::string> password;
  std::string domain;
  std::optional<std::string> proxyUsername;
  std::optional<std::string> proxyPassword;
  std::string proxyDomain;
  // The scheme last used with the server, so a copy sends Basic credentials before any challenge.
  std::string authenticationScheme;
  bool shouldPresentCredentialsBeforeChallenge = true;
  bool shouldPresentAuthenticationDialog = false;
  bool shouldPresentProxyAuthenticationDialog = true;
  bool useSessionPersistence = true;
  bool useKeychainPersistence = false;
  foundation::Dictionary userInfo;
  std::int64_t tag = 0;

  RequestSelector didStartSelector = &HTTPRequestDelegate::requestStarted;
  RequestSelector didFinishSelector = &HTTPRequestDelegate::requestFinished;
  RequestSelector didFailSelector = &HTTPRequestDelegate::requestFailed;

  // The body; a body already built (gzipped, measured) is sent as built.
  foundation::Bytes postBody;
  foundation::Bytes compressedPostBody;
  bool shouldStreamPostDataFromDisk = false;
  std::string postBodyFilePath;
  bool haveBuiltPostBody = false;
  std::uint64_t postLength = 0;

  std::shared_ptr<CacheDelegate> downloadCache;
  int cachePolicy = kUseDefaultCachePolicy;
  int cacheStoragePolicy = kCacheForSessionDurationOnly;
  double secondsToCache = 0;

  friend bool operator==(const HTTPRequestSettings&, const HTTPRequestSettings&) = default;
};

}  // namespace http
