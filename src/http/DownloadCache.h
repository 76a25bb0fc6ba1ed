#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "src/http/CacheDelegate.h"

namespace http {

// Failures of the cache's folders, in kDownloadCacheErrorDomain.
inline constexpr const char* kDownloadCacheErrorDomain = "DownloadCacheErrorDomain";
enum class DownloadCacheError : long long {
  fileExistsAtCachePath = 1,
  failedToCreateCacheDirectory = 2,
  failedToTraverseCacheDirectory = 3,
  failedToRemoveCacheFile = 4,
};

// An on-disk cache of GET responses keyed by URL, in two stores (this run only, and
// permanent), with expiry from the response's cache headers and revalidation by "Etag" and
// "Last-Modified". Each response is two files: the body ("<key>.<extension>") and a property
// list of its headers ("<key>.cachedheaders"), written body first and both atomically, so a
// crash never pairs new headers with an old body. Every operation takes one recursive lock, so
// the network thread and other threads may use one cache together.
//
// It does not: honour "Vary" (one entry per URL whatever the request headers), or drop an
// entry when an unsafe method (POST, PUT, DELETE) is sent to its URL.
class DownloadCache : public CacheDelegate {
 public:
  DownloadCache();

  // Any thread. Made once, stored under the caches folder's "HTTPRequestCache".
  static const std::shared_ptr<DownloadCache>& sharedCache();

  std::optional<std::string> storagePath() const;
  // Clears the session store of the old folder, then makes sure the new folder and its
  // "SessionStore" and "PermanentStore" exist. The new folder's session store is cleared too:
  // what an earlier run left there is not of this session.
  foundation::Status setStoragePath(const std::string& path);
  int defaultCachePolicy() const override;
  // 0 stands for the default, kAskServerIfModifiedWhenStale.
  void setDefaultCachePolicy(int policy);
  bool shouldRespectCacheControlHeaders() const;
  void setShouldRespectCacheControlHeaders(bool respect);
  std::recursive_mutex& accessLock() const { return lock_; }

  std::optional<foundation::Date> expiryDateForRequest(HTTPRequest& request, double maxAge) override;
  void updateExpiryForRequest(HTTPRequest& request, double maxAge) override;
  bool canUseCachedDataForRequest(HTTPRequest& request) override;
  void removeCachedDataForRequest(HTTPRequest& request) override;
  bool isCachedDataCurrentForRequest(HTTPRequest& request) override;
  void storeResponseForRequest(HTTPRequest& request, double maxAge) override;
  void removeCachedDataForURL(const std::string& url) override;
  std::optional<foundation::Dictionary> cachedResponseHeadersForURL(const std::string& url) override;
  std::optional<foundation::Bytes> cachedResponseDataForURL(const std::string& url) override;
  std::optional<std::string> pathToCachedResponseDataForURL(const std::string& url) override;
  std::optional<std::string> pathToCachedResponseHeadersForURL(const std::string& url) override;
  std::optional<std::string> pathToStoreCachedResponseHeadersForRequest(HTTPRequest& request) override;
  std::optional<std::string> pathToStoreCachedResponseDataForRequest(HTTPRequest& request) override;
  // 0: the session store; any other value: the permanent store.
  foundation::Status clearCachedResponsesForStoragePolicy(int storagePolicy) override;

  // Whether the response's "Cache-Control" and "Pragma" let it be stored (no "no-store").
  static bool serverAllowsResponseCachingForRequest(HTTPRequest& request);
  // The MD5 of the URL (one trailing "/" dropped) as 32 upper-case hex digits.
  static std::string keyForURL(const std::string& url);
  // Path extensions stored as "html": "asp", "aspx", "jsp", "php", "rb", "py", "pl", "cgi".
  static const std::vector<std::string>& fileExtensionsToHandleAsHTML();

 private:
  // What the cache reads of a request, taken before its own lock so that the two locks are
  // never taken in both orders.
  struct RequestFacts;
  static RequestFacts factsOf(HTTPRequest& request);

  std::optional<std::string> pathToFile(const std::string& name) const;
  std::optional<std::string> storeFolder(int storagePolicy) const;
  // The file of that name in the store; nullopt without a folder or for an unsafe name.
  std::optional<std::string> storePath(int storagePolicy, const std::string& name) const;
  bool isCurrent(const RequestFacts& facts);
  // The same against stored headers already read (an entry whose body exists).
  bool isCurrent(const RequestFacts& facts, const foundation::Dictionary& entry);
  bool canUse(const RequestFacts& facts);
  void removeEntry(const std::string& folder, const std::string& url);

  mutable std::recursive_mutex lock_;
  std::optional<std::string> storagePath_;
  int defaultCachePolicy_;
  bool shouldRespectCacheControlHeaders_ = true;
};

}  // namespace http
