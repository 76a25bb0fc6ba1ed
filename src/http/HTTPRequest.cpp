#include "src/http/HTTPRequest.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/Text.h"
#include "platform/net/HTTPMessage.h"
#include "platform/net/HTTPReadStream.h"
#include "src/http/ConnectionPool.h"
#include "src/http/DataDecompressor.h"
#include "src/http/HTTPRequestBlocks.h"
#include "src/http/HeaderDictionary.h"
#include "src/http/NetworkActivityIndicator.h"

namespace http {
namespace {
std::atomic<double> defaultTimeOut{10.0};
}  // namespace

std::shared_ptr<HTTPRequest> HTTPRequest::requestWithURL(const std::string& url) {
  return std::shared_ptr<HTTPRequest>(new HTTPRequest(url));
}

HTTPRequest::HTTPRequest(std::string url) : url_(std::move(url)), blocks_(std::make_unique<Blocks>()) {
  settings_.timeOutSeconds = defaultTimeOutSeconds();
  settings_.downloadCache = defaultCache();
}

std::shared_ptr<HTTPRequest> HTTPRequest::makeRequestOfSameClass(const std::string& url) const {
  return requestWithURL(url);
}

HTTPRequest::~HTTPRequest() {
  // Nothing can report any more: the clean-up of cancelLoad without its failure report.
  if (readStreamIsScheduled_) NetworkActivityIndicator::shared().streamUnscheduled();
  if (readStream_) {
    // Streams belong to the network thread: one still held here is closed there.
    networkLoop().post([stream = std::move(readStream_)] { stream->close(); });
  }
  (void)removePartialFiles();
  setStatusTimer(nullptr);
  releaseBlocksOnMainThread();
}

foundation::OperationQueue& HTTPRequest::sharedQueue() {
  static foundation::OperationQueue* queue = [] {
    auto* made = new foundation::OperationQueue();  // lives for the run, as requests may outlive statics
    made->setMaxConcurrentOperationCount(4);
    return made;
  }();
  return *queue;
}

namespace {

constexpr foundation::Duration kNetworkRestPatience{2};

void holdNetworkThreadAtExit();

// One thread for every request's streams, started on first use and never replaced.
foundation::LoopThread& networkThread() {
  static foundation::LoopThread* thread = [] {
    auto* made = new foundation::LoopThread("HTTPRequest network");
    std::atexit(holdNetworkThreadAtExit);
    return made;
  }();
  return *thread;
}

// Exit ends with the libraries' own finalisers; a request's work beside them (a first proxy
// look-up loading a GIO module, a TLS read) would run in libraries already taken down, or start
// them up again half-way. So the thread finishes what it is doing and then does nothing more; one
// that cannot come to rest in time leaves the process without that clean-up.
void holdNetworkThreadAtExit() {
  if (networkThread().holdWithin(kNetworkRestPatience)) return;
  std::fflush(nullptr);
  std::fprintf(stderr, "The network thread did not come to rest within %.0f seconds: leaving now.\n",
               kNetworkRestPatience.count());
  std::_Exit(EXIT_FAILURE);
}

}  // namespace

foundation::RunLoop& HTTPRequest::networkLoop() { return networkThread().loop(); }

bool HTTPRequest::isNetworkInUse() { return NetworkActivityIndicator::shared().runningRequestCount() != 0; }

void HTTPRequest::setShouldUpdateNetworkActivityIndicator(bool update) {
  NetworkActivityIndicator::shared().setShouldUpdate(update);
}

double HTTPRequest::defaultTimeOutSeconds() { return defaultTimeOut.load(); }

void HTTPRequest::setDefaultTimeOutSeconds(double seconds) { defaultTimeOut.store(seconds); }

foundation::Status HTTPRequest::removeFileAtPath(const std::string& path) {
  if (!foundation::FileManager::fileExists(path)) return {};
  auto removed = foundation::FileManager::removeItem(path);
  if (removed.ok()) return {};
  return makeRequestError(HTTPRequestErrorCode::fileManagement, "Failed to delete file at path '" + path + "'",
                          removed.error());
}

std::shared_ptr<HTTPRequest> HTTPRequest::HEADRequest() {
  Lock lock(cancelledLock_);
  auto head = makeRequestOfSameClass(url_);
  // No other thread knows the new request yet: its fields are set without its lock.
  head->settings_.requestMethod = "HEAD";
  head->mainRequest_ = self();
  head->settings_.requestHeaders = settings_.requestHeaders;
  head->settings_.requestCookies = settings_.requestCookies;
  head->settings_.useCookiePersistence = settings_.useCookiePersistence;
  head->settings_.allowCompressedResponse = settings_.allowCompressedResponse;
  copyCredentialSettingsInto(*head);
  head->settings_.timeOutSeconds = settings_.timeOutSeconds;
  head->settings_.useHTTPVersionOne = settings_.useHTTPVersionOne;
  head->settings_.validatesSecureCertificate = settings_.validatesSecureCertificate;
  head->settings_.clientCertificateIdentity = settings_.clientCertificateIdentity;
  head->settings_.clientCertificates = settings_.clientCertificates;
  head->settings_.numberOfTimesToRetryOnTimeout = settings_.numberOfTimesToRetryOnTimeout;
  head->settings_.shouldUseRFC2616RedirectBehaviour = settings_.shouldUseRFC2616RedirectBehaviour;
  head->settings_.shouldAttemptPersistentConnection = settings_.shouldAttemptPersistentConnection;
  head->settings_.persistentConnectionTimeoutSeconds = settings_.persistentConnectionTimeoutSeconds;
  copyCacheSettingsInto(*head);
  return head;
}

bool HTTPRequest::isResponseCompressedLocked() const {
  return headerListsToken(responseHeaders_, "Content-Encoding", "gzip") ||
         headerListsToken(responseHeaders_, "Content-Encoding", "x-gzip");
}

bool HTTPRequest::isResponseCompressed() const {
  Lock lock(cancelledLock_);
  return isResponseCompressedLocked();
}

bool HTTPRequest::isFileDownload() const { return !settings_.downloadDestinationPath.empty(); }

std::optional<foundation::Bytes> HTTPRequest::responseData() const {
  Lock lock(cancelledLock_);
  if (isResponseCompressedLocked() && shouldWaitToInflateCompressedResponses_) {
    auto inflated = DataDecompressor::uncompressData(rawResponseData_);
    if (!inflated.ok()) return std::nullopt;
    return std::move(*inflated);
  }
  return rawResponseData_;
}

std::optional<std::string> HTTPRequest::responseString() const {
  auto data = responseData();
  if (!data) return std::nullopt;
  auto text = foundation::Text::decode(*data, responseEncoding());
  if (!text.ok()) return std::nullopt;
  return std::move(*text);
}

}  // namespace http
