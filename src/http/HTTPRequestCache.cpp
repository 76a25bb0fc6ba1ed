// The response cache's hooks in a request: answering from the cache, revalidation, storing.
#include <algorithm>
#include <mutex>

#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/FileManager.h"
#include "platform/net/CookieStore.h"
#include "src/http/CacheControl.h"
#include "src/http/CacheDelegate.h"
#include "src/http/HTTPRequest.h"
#include "src/http/HeaderDictionary.h"

namespace http {
namespace {

std::mutex defaultCacheMutex;
std::shared_ptr<CacheDelegate>& defaultCacheSlot() {
  static auto* cache = new std::shared_ptr<CacheDelegate>();  // requests may outlive statics
  return *cache;
}

bool isRedirectStatus(int status) { return status == 301 || status == 302 || status == 303 || status == 307; }

}  // namespace

std::shared_ptr<HTTPRequest> HTTPRequest::requestWithURL(const std::string& url, std::shared_ptr<CacheDelegate> cache,
                                                         int cachePolicy) {
  auto request = requestWithURL(url);
  request->settings_.downloadCache = std::move(cache);
  request->settings_.cachePolicy = cachePolicy;
  return request;
}

std::shared_ptr<CacheDelegate> HTTPRequest::defaultCache() {
  std::scoped_lock lock(defaultCacheMutex);
  return defaultCacheSlot();
}

void HTTPRequest::setDefaultCache(std::shared_ptr<CacheDelegate> cache) {
  std::scoped_lock lock(defaultCacheMutex);
  defaultCacheSlot() = std::move(cache);
}

std::optional<foundation::Date> HTTPRequest::expiryDateForRequest(HTTPRequest& request, double maxAge) {
  const foundation::Dictionary headers = request.responseHeaders();
  if (maxAge == 0) {
    // A max-age, 0 included, wins over "Expires".
    if (auto fromHeader = CacheControl(headers).maxAge) {
      maxAge = *fromHeader;
    } else {
      auto expires = headerValue(headers, "Expires");
      return expires ? dateFromRFC1123String(*expires) : std::nullopt;
    }
  }
  return foundation::Date{foundation::Clock::current().wallNow().secondsSince1970 + maxAge};
}

std::optional<foundation::Date> HTTPRequest::dateFromRFC1123String(std::string_view text) {
  std::string pattern = text.find(',') != std::string_view::npos ? "EEE, " : "";
  pattern += "dd MMM yyyy HH:mm";
  if (std::count(text.begin(), text.end(), ':') == 2) pattern += ":ss";
  pattern += " z";
  foundation::DateFormatter formatter(pattern, foundation::Locale("en_US_POSIX"), foundation::TimeZone::utc());
  return formatter.dateFromString(text);
}

std::shared_ptr<CacheDelegate> HTTPRequest::downloadCache() const { return lockedCopy(settings_.downloadCache); }
void HTTPRequest::setDownloadCache(std::shared_ptr<CacheDelegate> cache) {
  lockedStore(settings_.downloadCache, std::move(cache));
}
int HTTPRequest::cachePolicy() const { return lockedCopy(settings_.cachePolicy); }
void HTTPRequest::setCachePolicy(int policy) { lockedStore(settings_.cachePolicy, policy); }
int HTTPRequest::cacheStoragePolicy() const { return lockedCopy(settings_.cacheStoragePolicy); }
void HTTPRequest::setCacheStoragePolicy(int policy) { lockedStore(settings_.cacheStoragePolicy, policy); }
bool HTTPRequest::didUseCachedResponse() const { return lockedCopy(didUseCachedResponse_); }
double HTTPRequest::secondsToCache() const { return lockedCopy(settings_.secondsToCache); }
void HTTPRequest::setSecondsToCache(double seconds) { lockedStore(settings_.secondsToCache, seconds); }

void HTTPRequest::copyCacheSettingsInto(HTTPRequest& other) const {
  other.settings_.downloadCache = settings_.downloadCache;
  other.settings_.cachePolicy = settings_.cachePolicy;
  other.settings_.cacheStoragePolicy = settings_.cacheStoragePolicy;
  other.settings_.secondsToCache = settings_.secondsToCache;
}

void HTTPRequest::keepCacheOnlyForGET() {
  // A HEAD made for a download stands for its main request's GET.
  auto main = mainRequest_.lock();
  std::string method = main ? main->requestMethod() : settings_.requestMethod;
  if (method != "GET") settings_.downloadCache.reset();
}

bool HTTPRequest::answerFromCache() {
  if (!settings_.downloadCache) return false;
  if (settings_.cachePolicy == kUseDefaultCachePolicy)
    settings_.cachePolicy = settings_.downloadCache->defaultCachePolicy();
  if (sentCacheValidators_) {  // those of an earlier URL (a redirect keeps its headers)
    settings_.requestHeaders.erase("If-None-Match");
    settings_.requestHeaders.erase("If-Modified-Since");
    sentCacheValidators_ = false;
  }
  if (settings_.downloadCache->canUseCachedDataForRequest(*this) && useDataFromCache(CacheAnswer::inMainStep))
    return true;
  if (isHEADRequest() || !(settings_.cachePolicy & (kAskServerIfModifiedWhenStale | kAskServerIfModified)))
    return false;
  // Only an entry that can answer a 304 is worth asking about: otherwise a 304 would leave
  // nothing to deliver.
  auto headers = settings_.downloadCache->cachedResponseHeadersForURL(url_);
  if (!headers || !settings_.downloadCache->pathToCachedResponseDataForURL(url_)) return false;
  if (auto etag = headerValue(*headers, "Etag")) {
    settings_.requestHeaders.set("If-None-Match", *etag);
    sentCacheValidators_ = true;
  }
  if (auto modified = headerValue(*headers, "Last-Modified")) {
    settings_.requestHeaders.set("If-Modified-Since", *modified);
    sentCacheValidators_ = true;
  }
  return false;
}

bool HTTPRequest::answerNotModified() {
  if (responseStatusCode_ != 304 || !settings_.downloadCache || !sentCacheValidators_) return false;
  // The exchange is over either way; the connection is not kept (its state after an early end
  // is not worth trusting).
  connectionCanBeReused_ = false;
  releaseConnectionRecord();
  destroyReadStream();
  if (settings_.downloadCache->canUseCachedDataForRequest(*this)) {
    settings_.downloadCache->updateExpiryForRequest(*this, settings_.secondsToCache);
    if (useDataFromCache(CacheAnswer::toNotModified)) return true;
  }
  // The entry went away after the question was sent: a 304 with nothing to show is no success.
  failWithError(makeRequestError(HTTPRequestErrorCode::internal,
                                 "The server answered 'Not Modified' but the cached response is gone"));
  return true;
}

void HTTPRequest::storeInCache() {
  // A HEAD's empty body would replace the entry of the GET it stands for.
  if (settings_.downloadCache && !didUseCachedResponse_ && !isHEADRequest())
    settings_.downloadCache->storeResponseForRequest(*this, settings_.secondsToCache);
}

bool HTTPRequest::fallBackToCache(const foundation::ErrorPtr& error) {
  if (!settings_.downloadCache || !(settings_.cachePolicy & kFallbackToCacheIfLoadFails)) return false;
  if (isRequestError(error, HTTPRequestErrorCode::cancelled)) return false;  // a cancel is not a failed load
  return settings_.downloadCache->canUseCachedDataForRequest(*this) && useDataFromCache(CacheAnswer::afterFailure);
}

bool HTTPRequest::useDataFromCache(CacheAnswer answer) {
  auto headers = settings_.downloadCache->cachedResponseHeadersForURL(url_);
  auto bodyPath = settings_.downloadCache->pathToCachedResponseDataForURL(url_);
  if (!headers || !bodyPath) return false;
  const int status = static_cast<int>((*headers)["X-HTTPRequest-Response-Status-Code"].toInt64());
  auto main = mainRequest_.lock();
  // A HEAD leaves a cached redirect to its main request; after a failure a redirect would
  // start a new exchange from inside the failure step.
  if (isRedirectStatus(status) && (main || answer == CacheAnswer::afterFailure)) return false;
  HTTPRequest& target = main ? *main : *this;
  {
    Lock targetLock(target.cancelledLock_);
    if (target.isFileDownload()) {
      // A copy: the caller may move or delete its file, never the cache's.
      std::string partial = target.settings_.downloadDestinationPath + ".partial";
      auto copied = foundation::FileManager::copyItem(*bodyPath, partial);
      if (copied.ok()) copied = foundation::FileManager::moveItem(partial, target.settings_.downloadDestinationPath);
      if (!copied.ok()) {
        (void)foundation::FileManager::removeItem(partial);
        return false;
      }
    } else {
      auto body = foundation::FileManager::readFile(*bodyPath);
      if (!body.ok()) return false;
      target.rawResponseData_ = std::move(*body);
    }
    target.responseStatusCode_ = status;
    target.didUseCachedResponse_ = true;
    auto length = (*headers)["Content-Length"].toInt64();
    target.contentLength_ = static_cast<std::uint64_t>(std::max<std::int64_t>(length, 0));
    target.totalBytesRead_ = target.contentLength_;
    target.responseEncoding_ = target.settings_.defaultResponseEncoding;
    std::string mimeType;
    parseMimeType(mimeType, target.responseEncoding_, headerValue(*headers, "Content-Type"));
    target.responseCookies_.clear();
    if (auto setCookie = headerValue(*headers, "Set-Cookie")) {
      if (auto cookie = net::CookieStore::parseSetCookie(*setCookie, url_)) target.responseCookies_.push_back(*cookie);
    }
    target.responseHeaders_ = std::move(*headers);
  }
  didUseCachedResponse_ = true;
  if (!main && willRedirectTo(status, headerValue(target.responseHeaders_, "Location"))) {
    downloadComplete_ = true;
    // Inside a stream event, the event step follows it once the event is over.
    if (answer == CacheAnswer::inMainStep && !willAskDelegateToConfirmRedirect()) performRedirect();
    return true;
  }
  complete_ = true;
  downloadComplete_ = true;
  if (redirectCount_ == 0) originalURL_ = url_;
  updateProgressIndicators();
  if (main) {
    Lock mainLock(main->cancelledLock_);
    main->complete_ = true;
    main->downloadComplete_ = true;
    main->requestFinished();
    markAsFinished();
    main->markAsFinished();
  } else {
    requestFinished();
    markAsFinished();
  }
  return true;
}

}  // namespace http
