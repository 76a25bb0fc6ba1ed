#pragma once

#include <optional>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace http {

class HTTPRequest;

// Bits of a request's cache policy; they combine.
enum CachePolicy : int {
  kUseDefaultCachePolicy = 0,
  kDoNotReadFromCache = 1,
  kDoNotWriteToCache = 2,
  // Use the cached response while it is current, else load (asking the server whether it changed).
  kAskServerIfModifiedWhenStale = 4,
  // Always ask the server whether the cached response changed.
  kAskServerIfModified = 8,
  // Load only when nothing is cached: a cached response is used however old it is.
  kOnlyLoadIfNotCached = 16,
  // Use a cached response whenever there is one, without loading.
  kDontLoad = 32,
  // Use the cached response when loading fails.
  kFallbackToCacheIfLoadFails = 64,
};

// Where a request's response is stored: for this run only, or across runs.
enum CacheStoragePolicy : int { kCacheForSessionDurationOnly = 0, kCachePermanently = 1 };

// What a request asks of a response cache. Implementations are used from the network thread
// and from any other thread at once, so every operation must be thread-safe.
class CacheDelegate {
 public:
  virtual ~CacheDelegate() = default;

  virtual int defaultCachePolicy() const = 0;
  virtual std::optional<foundation::Date> expiryDateForRequest(HTTPRequest& request, double maxAge) = 0;
  // Renews the stored expiry from the request's (304) response.
  virtual void updateExpiryForRequest(HTTPRequest& request, double maxAge) = 0;
  virtual bool canUseCachedDataForRequest(HTTPRequest& request) = 0;
  virtual void removeCachedDataForRequest(HTTPRequest& request) = 0;
  virtual bool isCachedDataCurrentForRequest(HTTPRequest& request) = 0;
  virtual void storeResponseForRequest(HTTPRequest& request, double maxAge) = 0;
  virtual void removeCachedDataForURL(const std::string& url) = 0;
  virtual std::optional<foundation::Dictionary> cachedResponseHeadersForURL(const std::string& url) = 0;
  virtual std::optional<foundation::Bytes> cachedResponseDataForURL(const std::string& url) = 0;
  virtual std::optional<std::string> pathToCachedResponseDataForURL(const std::string& url) = 0;
  virtual std::optional<std::string> pathToCachedResponseHeadersForURL(const std::string& url) = 0;
  virtual std::optional<std::string> pathToStoreCachedResponseHeadersForRequest(HTTPRequest& request) = 0;
  virtual std::optional<std::string> pathToStoreCachedResponseDataForRequest(HTTPRequest& request) = 0;
  virtual foundation::Status clearCachedResponsesForStoragePolicy(int storagePolicy) = 0;
};

}  // namespace http
