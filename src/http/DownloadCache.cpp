#include "src/http/DownloadCache.h"

#include <algorithm>
#include <cctype>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Digest.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "src/http/CacheControl.h"
#include "src/http/HTTPRequest.h"
#include "src/http/HeaderDictionary.h"

namespace http {
namespace {

using foundation::FileManager;

constexpr const char* kSessionStore = "SessionStore";
constexpr const char* kPermanentStore = "PermanentStore";
constexpr const char* kHeadersExtension = "cachedheaders";
constexpr const char* kExpiresHeader = "X-HTTPRequest-Expires";
constexpr const char* kStatusHeader = "X-HTTPRequest-Response-Status-Code";

foundation::ErrorPtr cacheError(DownloadCacheError code, const std::string& text) {
  return foundation::makeError(kDownloadCacheErrorDomain, static_cast<long long>(code), text);
}

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The extension of the URL path's last component ("" without one).
std::string pathExtension(const std::string& url) {
  std::string path = url.substr(0, url.find_first_of("?#"));
  auto slash = path.find("://");
  slash = path.find('/', slash == std::string::npos ? 0 : slash + 3);
  std::string name = slash == std::string::npos ? "" : path.substr(path.rfind('/') + 1);
  auto dot = name.rfind('.');
  return dot == std::string::npos ? "" : name.substr(dot + 1);
}

// The body's extension: the path's own when it is short and plainly alphanumeric, else "html".
// ".cachedheaders" would let a URL's body overwrite its own headers.
std::string bodyExtension(const std::string& url) {
  std::string extension = pathExtension(url);
  const auto& asHTML = DownloadCache::fileExtensionsToHandleAsHTML();
  bool plain = !extension.empty() && extension.size() <= 10 &&
               std::all_of(extension.begin(), extension.end(), [](unsigned char c) { return std::isalnum(c); });
  std::string lower = lowered(extension);
  if (!plain || lower == kHeadersExtension || std::find(asHTML.begin(), asHTML.end(), lower) != asHTML.end()) {
    return "html";
  }
  return extension;
}

std::string bodyName(const std::string& url) { return DownloadCache::keyForURL(url) + "." + bodyExtension(url); }
std::string headersName(const std::string& url) { return DownloadCache::keyForURL(url) + "." + kHeadersExtension; }

std::optional<foundation::Dictionary> readHeaders(const std::string& path) {
  auto bytes = FileManager::readFile(path);
  if (!bytes.ok()) return std::nullopt;
  auto parsed = foundation::PropertyList::parse(*bytes);
  if (!parsed.ok() || !parsed->isDictionary()) return std::nullopt;
  return std::move(*parsed->getDictionary());
}

foundation::Status writeHeaders(const std::string& path, const foundation::Dictionary& headers) {
  auto text = foundation::PropertyList::serialize(foundation::Value(headers));
  if (!text.ok()) return text.error();
  return FileManager::writeAtomically(path, *text);
}

// Copies a file into place as one step, so a reader never sees half of it.
foundation::Status copyAtomically(const std::string& from, const std::string& to) {
  std::string partial = to + ".partial";
  if (auto copied = FileManager::copyItem(from, partial); !copied.ok()) {
    (void)FileManager::removeItem(partial);
    return copied;
  }
  return FileManager::moveItem(partial, to);
}

// Whether stored headers carry a status and the length of the body file beside them.
bool isWholeEntry(const foundation::Dictionary& headers, const std::optional<std::string>& bodyPath) {
  const auto* status = headers.find(kStatusHeader);
  auto length = headerValue(headers, "Content-Length");
  if (!bodyPath || !status || !status->isNumber() || status->toInt64() <= 0 || !length) return false;
  auto size = FileManager::fileSize(*bodyPath);
  return size.ok() && std::to_string(*size) == *length;
}

foundation::Dictionary headersToStore(foundation::Dictionary headers, bool compressed, std::uint64_t bodyLength) {
  // The body is stored as delivered to the caller: inflated, and whole.
  for (const auto& name : headers.keys()) {
    std::string lower = lowered(name);
    if ((compressed && lower == "content-encoding") || lower == "transfer-encoding" || lower == "content-length") {
      headers.erase(name);
    }
  }
  headers.set("Content-Length", std::to_string(bodyLength));
  return headers;
}

}  // namespace

struct DownloadCache::RequestFacts {
  std::string url;
  int cachePolicy;
  int storagePolicy;
  int status;
  bool complete;
  bool failed;
  foundation::Dictionary responseHeaders;
};

DownloadCache::RequestFacts DownloadCache::factsOf(HTTPRequest& request) {
  return RequestFacts{
      request.url(),      request.cachePolicy(),      request.cacheStoragePolicy(), request.responseStatusCode(),
      request.complete(), request.error() != nullptr, request.responseHeaders()};
}

DownloadCache::DownloadCache() : defaultCachePolicy_(kAskServerIfModifiedWhenStale) {}

const std::shared_ptr<DownloadCache>& DownloadCache::sharedCache() {
  static const foundation::NoDestructor<std::shared_ptr<DownloadCache>> cache([] {
    auto made = std::make_shared<DownloadCache>();
    // A folder that cannot be made leaves the cache without one: it then stores nothing.
    (void)made->setStoragePath(foundation::Paths::cachesDirectory() + "/HTTPRequestCache");
    return made;
  }());
  return *cache;
}

std::optional<std::string> DownloadCache::storagePath() const {
  std::scoped_lock lock(lock_);
  return storagePath_;
}

foundation::Status DownloadCache::setStoragePath(const std::string& path) {
  std::scoped_lock lock(lock_);
  if (storagePath_) (void)clearCachedResponsesForStoragePolicy(kCacheForSessionDurationOnly);
  storagePath_ = path;
  for (const std::string& folder : {path, path + "/" + kSessionStore, path + "/" + kPermanentStore}) {
    if (FileManager::fileExists(folder) && !FileManager::isDirectory(folder)) {
      storagePath_.reset();
      return cacheError(DownloadCacheError::fileExistsAtCachePath,
                        "Cannot create a directory for the cache at '" + folder + "', because a file already exists");
    }
    if (!FileManager::createDirectory(folder).ok()) {
      storagePath_.reset();
      return cacheError(DownloadCacheError::failedToCreateCacheDirectory,
                        "Failed to create a directory for the cache at '" + folder + "'");
    }
  }
  return clearCachedResponsesForStoragePolicy(kCacheForSessionDurationOnly);
}

int DownloadCache::defaultCachePolicy() const {
  std::scoped_lock lock(lock_);
  return defaultCachePolicy_;
}

void DownloadCache::setDefaultCachePolicy(int policy) {
  std::scoped_lock lock(lock_);
  defaultCachePolicy_ = policy == 0 ? kAskServerIfModifiedWhenStale : policy;
}

bool DownloadCache::shouldRespectCacheControlHeaders() const {
  std::scoped_lock lock(lock_);
  return shouldRespectCacheControlHeaders_;
}

void DownloadCache::setShouldRespectCacheControlHeaders(bool respect) {
  std::scoped_lock lock(lock_);
  shouldRespectCacheControlHeaders_ = respect;
}

std::optional<foundation::Date> DownloadCache::expiryDateForRequest(HTTPRequest& request, double maxAge) {
  return HTTPRequest::expiryDateForRequest(request, maxAge);
}

std::optional<std::string> DownloadCache::storeFolder(int storagePolicy) const {
  if (!storagePath_) return std::nullopt;
  return *storagePath_ + "/" + (storagePolicy == kCacheForSessionDurationOnly ? kSessionStore : kPermanentStore);
}

std::optional<std::string> DownloadCache::pathToFile(const std::string& name) const {
  std::scoped_lock lock(lock_);
  if (!storagePath_ || !foundation::FileManager::isSafePathComponent(name)) return std::nullopt;
  for (int policy : {kCacheForSessionDurationOnly, kCachePermanently}) {
    std::string path = *storeFolder(policy) + "/" + name;
    if (FileManager::fileExists(path)) return path;
  }
  return std::nullopt;
}

std::optional<std::string> DownloadCache::pathToCachedResponseDataForURL(const std::string& url) {
  return pathToFile(bodyName(url));
}

std::optional<std::string> DownloadCache::pathToCachedResponseHeadersForURL(const std::string& url) {
  return pathToFile(headersName(url));
}

std::optional<std::string> DownloadCache::storePath(int storagePolicy, const std::string& name) const {
  std::scoped_lock lock(lock_);
  auto folder = storeFolder(storagePolicy);
  if (!folder || !FileManager::isSafePathComponent(name)) return std::nullopt;
  return *folder + "/" + name;
}

std::optional<std::string> DownloadCache::pathToStoreCachedResponseDataForRequest(HTTPRequest& request) {
  return storePath(request.cacheStoragePolicy(), bodyName(request.url()));
}

std::optional<std::string> DownloadCache::pathToStoreCachedResponseHeadersForRequest(HTTPRequest& request) {
  return storePath(request.cacheStoragePolicy(), headersName(request.url()));
}

std::optional<foundation::Dictionary> DownloadCache::cachedResponseHeadersForURL(const std::string& url) {
  std::scoped_lock lock(lock_);
  auto path = pathToCachedResponseHeadersForURL(url);
  if (!path) return std::nullopt;
  auto headers = readHeaders(*path);
  if (headers && isWholeEntry(*headers, pathToCachedResponseDataForURL(url))) return headers;
  // A body cut short or headers without a status would be served as a success.
  removeCachedDataForURL(url);
  return std::nullopt;
}

std::optional<foundation::Bytes> DownloadCache::cachedResponseDataForURL(const std::string& url) {
  std::scoped_lock lock(lock_);
  if (!cachedResponseHeadersForURL(url)) return std::nullopt;
  auto path = pathToCachedResponseDataForURL(url);
  if (!path) return std::nullopt;
  auto bytes = FileManager::readFile(*path);
  if (!bytes.ok()) return std::nullopt;
  return std::move(*bytes);
}

void DownloadCache::storeResponseForRequest(HTTPRequest& request, double maxAge) {
  auto facts = factsOf(request);
  static const int kStorable[] = {200, 301, 302, 303, 307};
  if (facts.failed || facts.responseHeaders.empty() || (facts.cachePolicy & kDoNotWriteToCache) ||
      std::find(std::begin(kStorable), std::end(kStorable), facts.status) == std::end(kStorable)) {
    return;
  }
  const auto expiry = HTTPRequest::expiryDateForRequest(request, maxAge);
  const bool compressed = request.isResponseCompressed();
  const std::string download = request.downloadDestinationPath();
  std::optional<foundation::Bytes> body;
  if (download.empty()) body = request.responseData();  // inflated: nullopt when that failed

  std::scoped_lock lock(lock_);
  if (shouldRespectCacheControlHeaders_ && CacheControl(facts.responseHeaders).noStore) {
    removeCachedDataForURL(facts.url);  // what the server now forbids keeping is not served either
    return;
  }
  auto folder = storeFolder(facts.storagePolicy);
  auto otherFolder = storeFolder(facts.storagePolicy == kCacheForSessionDurationOnly ? kCachePermanently
                                                                                     : kCacheForSessionDurationOnly);
  auto bodyPath = storePath(facts.storagePolicy, bodyName(facts.url));
  auto headersPath = storePath(facts.storagePolicy, headersName(facts.url));
  if (!folder || !bodyPath || !headersPath) return;
  // An older entry in the other store would be found first (or outlive this one).
  removeEntry(*otherFolder, facts.url);

  foundation::Status wroteBody;
  std::uint64_t bodyLength = 0;
  if (!download.empty()) {
    wroteBody = copyAtomically(download, *bodyPath);
    auto size = FileManager::fileSize(*bodyPath);
    if (size.ok()) bodyLength = *size;
  } else if (body) {
    wroteBody = FileManager::writeAtomically(*bodyPath, *body);
    bodyLength = body->size();
  } else {
    wroteBody = foundation::makeError(kDownloadCacheErrorDomain, 0, "No body to store");
  }
  if (!wroteBody.ok()) {
    removeEntry(*folder, facts.url);  // never new headers beside an old body
    return;
  }
  foundation::Dictionary headers = headersToStore(facts.responseHeaders, compressed, bodyLength);
  if (expiry) headers.set(kExpiresHeader, expiry->secondsSince1970);
  headers.set(kStatusHeader, facts.status);
  if (!writeHeaders(*headersPath, headers).ok()) removeEntry(*folder, facts.url);
}

void DownloadCache::updateExpiryForRequest(HTTPRequest& request, double maxAge) {
  const std::string url = request.url();
  const auto expiry = HTTPRequest::expiryDateForRequest(request, maxAge);
  std::scoped_lock lock(lock_);
  auto path = pathToCachedResponseHeadersForURL(url);
  if (!path || !expiry) return;
  auto headers = readHeaders(*path);
  if (!headers) return;
  headers->set(kExpiresHeader, expiry->secondsSince1970);
  (void)writeHeaders(*path, *headers);
}

bool DownloadCache::isCachedDataCurrentForRequest(HTTPRequest& request) {
  auto facts = factsOf(request);
  std::scoped_lock lock(lock_);
  return isCurrent(facts);
}

bool DownloadCache::isCurrent(const RequestFacts& facts) {
  auto headers = cachedResponseHeadersForURL(facts.url);
  if (!storagePath_ || !headers || !pathToCachedResponseDataForURL(facts.url)) return false;
  return isCurrent(facts, *headers);
}

bool DownloadCache::isCurrent(const RequestFacts& facts, const foundation::Dictionary& entry) {
  const auto* headers = &entry;
  if (facts.status == 304) return true;
  if (!facts.responseHeaders.empty() && facts.complete) {
    for (const char* validator : {"Etag", "Last-Modified"}) {
      auto stored = headerValue(*headers, validator);
      if (stored && headerValue(facts.responseHeaders, validator) != stored) return false;
    }
  }
  if (shouldRespectCacheControlHeaders_) {
    const auto* expires = headers->find(kExpiresHeader);
    if (!expires || !expires->isNumber()) return false;
    if (foundation::Clock::current().wallNow().secondsSince1970 >= expires->toDouble()) return false;
  }
  return true;
}

bool DownloadCache::canUseCachedDataForRequest(HTTPRequest& request) {
  auto facts = factsOf(request);
  std::scoped_lock lock(lock_);
  return canUse(facts);
}

bool DownloadCache::canUse(const RequestFacts& facts) {
  const int policy = facts.cachePolicy;
  if (policy & kDoNotReadFromCache) return false;
  auto headers = cachedResponseHeadersForURL(facts.url);
  // Without a whole entry there is nothing to answer with: answering anyway would be an empty
  // success.
  if (!headers || !pathToCachedResponseDataForURL(facts.url)) return false;
  const bool revalidated = facts.status == 304;
  if (shouldRespectCacheControlHeaders_ && !revalidated && CacheControl(*headers).noCache) return false;
  if (policy & (kDontLoad | kOnlyLoadIfNotCached)) return true;
  if (facts.complete && (policy & kFallbackToCacheIfLoadFails)) return true;
  if ((policy & kAskServerIfModifiedWhenStale) || ((policy & kAskServerIfModified) && !facts.responseHeaders.empty())) {
    return isCurrent(facts, *headers);
  }
  return false;
}

void DownloadCache::removeEntry(const std::string& folder, const std::string& url) {
  for (const std::string& name : {bodyName(url), headersName(url)}) {
    if (FileManager::isSafePathComponent(name)) (void)FileManager::removeItem(folder + "/" + name);
  }
}

void DownloadCache::removeCachedDataForURL(const std::string& url) {
  std::scoped_lock lock(lock_);
  for (int policy : {kCacheForSessionDurationOnly, kCachePermanently}) {
    if (auto folder = storeFolder(policy)) removeEntry(*folder, url);
  }
}

void DownloadCache::removeCachedDataForRequest(HTTPRequest& request) { removeCachedDataForURL(request.url()); }

foundation::Status DownloadCache::clearCachedResponsesForStoragePolicy(int storagePolicy) {
  std::scoped_lock lock(lock_);
  auto folder = storeFolder(storagePolicy);
  if (!folder || !FileManager::isDirectory(*folder)) return {};
  auto entries = FileManager::contentsOfDirectory(*folder);
  if (!entries.ok()) {
    return cacheError(DownloadCacheError::failedToTraverseCacheDirectory,
                      "Listing cache directory failed at path '" + *folder + "'");
  }
  for (const auto& entry : *entries) {
    std::string path = *folder + "/" + entry;
    if (!FileManager::removeItem(path).ok()) {
      return cacheError(DownloadCacheError::failedToRemoveCacheFile,
                        "Failed to remove cached data at path '" + path + "'");
    }
  }
  return {};
}

bool DownloadCache::serverAllowsResponseCachingForRequest(HTTPRequest& request) {
  return !CacheControl(request.responseHeaders()).noStore;
}

std::string DownloadCache::keyForURL(const std::string& url) {
  std::string_view text = url;
  if (!text.empty() && text.back() == '/') text.remove_suffix(1);
  std::string key = foundation::md5Hex(text);
  std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::toupper(c); });
  return key;
}

const std::vector<std::string>& DownloadCache::fileExtensionsToHandleAsHTML() {
  static const foundation::NoDestructor<std::vector<std::string>> extensions(
      std::vector<std::string>{"asp", "aspx", "jsp", "php", "rb", "py", "pl", "cgi"});
  return *extensions;
}

}  // namespace http
