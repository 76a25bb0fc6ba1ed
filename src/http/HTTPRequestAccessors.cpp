// Accessors of HTTPRequest: every field is read and written under the request's lock.
#include "platform/net/HTTPMessage.h"
#include "src/http/ConnectionPool.h"
#include "src/http/HTTPRequest.h"
#include "src/http/HTTPRequestBlocks.h"

namespace http {

std::string HTTPRequest::url() const { return lockedCopy(url_); }
std::string HTTPRequest::originalURL() const { return lockedCopy(originalURL_); }
std::string HTTPRequest::redirectURL() const { return lockedCopy(redirectURL_); }

void HTTPRequest::setURL(const std::string& url) {
  Lock lock(cancelledLock_);
  if (url == url_) return;
  url_ = url;
  request_.reset();
  requestAuthentication_.reset();
  proxyAuthentication_.reset();
  redirectURL_.clear();
}

std::shared_ptr<HTTPRequestDelegate> HTTPRequest::delegate() const {
  Lock lock(cancelledLock_);
  return settings_.delegate.lock();
}
void HTTPRequest::setDelegate(std::weak_ptr<HTTPRequestDelegate> delegate) {
  lockedStore(settings_.delegate, std::move(delegate));
}

std::shared_ptr<HTTPRequestQueueDelegate> HTTPRequest::queue() const { return lockedCopy(queue_); }
void HTTPRequest::setQueue(std::shared_ptr<HTTPRequestQueueDelegate> queue) { lockedStore(queue_, std::move(queue)); }

std::shared_ptr<ProgressDelegate> HTTPRequest::uploadProgressDelegate() const {
  Lock lock(cancelledLock_);
  return settings_.uploadProgressDelegate.lock();
}
void HTTPRequest::setUploadProgressDelegate(std::weak_ptr<ProgressDelegate> delegate) {
  lockedStore(settings_.uploadProgressDelegate, std::move(delegate));
}
std::shared_ptr<ProgressDelegate> HTTPRequest::downloadProgressDelegate() const {
  Lock lock(cancelledLock_);
  return settings_.downloadProgressDelegate.lock();
}
void HTTPRequest::setDownloadProgressDelegate(std::weak_ptr<ProgressDelegate> delegate) {
  lockedStore(settings_.downloadProgressDelegate, std::move(delegate));
}

std::string HTTPRequest::requestMethod() const { return lockedCopy(settings_.requestMethod); }
void HTTPRequest::setRequestMethod(const std::string& method) {
  Lock lock(cancelledLock_);
  if (method == settings_.requestMethod) return;
  settings_.requestMethod = method;
  // Bodies are never sent on a kept connection: a server that drops it mid-upload is not retried.
  bool hasBody = !settings_.postBody.empty() || !settings_.postBodyFilePath.empty();
  if (method == "POST" || method == "PUT" || hasBody) settings_.shouldAttemptPersistentConnection = false;
}

void HTTPRequest::addRequestHeader(const std::string& name, const std::string& value) {
  Lock lock(cancelledLock_);
  settings_.requestHeaders.set(name, value);
}
foundation::Dictionary HTTPRequest::requestHeaders() const { return lockedCopy(settings_.requestHeaders); }

std::vector<net::Cookie> HTTPRequest::requestCookies() const { return lockedCopy(settings_.requestCookies); }
void HTTPRequest::setRequestCookies(std::vector<net::Cookie> cookies) {
  lockedStore(settings_.requestCookies, std::move(cookies));
}

bool HTTPRequest::useCookiePersistence() const { return lockedCopy(settings_.useCookiePersistence); }
void HTTPRequest::setUseCookiePersistence(bool use) { lockedStore(settings_.useCookiePersistence, use); }
bool HTTPRequest::allowCompressedResponse() const { return lockedCopy(settings_.allowCompressedResponse); }
void HTTPRequest::setAllowCompressedResponse(bool allow) { lockedStore(settings_.allowCompressedResponse, allow); }
bool HTTPRequest::shouldWaitToInflateCompressedResponses() const {
  return lockedCopy(shouldWaitToInflateCompressedResponses_);
}
void HTTPRequest::setShouldWaitToInflateCompressedResponses(bool wait) {
  lockedStore(shouldWaitToInflateCompressedResponses_, wait);
}
std::uint64_t HTTPRequest::maxResponseDataSize() const { return lockedCopy(settings_.maxResponseDataSize); }
void HTTPRequest::setMaxResponseDataSize(std::uint64_t bytes) { lockedStore(settings_.maxResponseDataSize, bytes); }

std::string HTTPRequest::downloadDestinationPath() const { return lockedCopy(settings_.downloadDestinationPath); }
void HTTPRequest::setDownloadDestinationPath(const std::string& path) {
  lockedStore(settings_.downloadDestinationPath, path);
}
std::string HTTPRequest::temporaryFileDownloadPath() const { return lockedCopy(settings_.temporaryFileDownloadPath); }
void HTTPRequest::setTemporaryFileDownloadPath(const std::string& path) {
  lockedStore(settings_.temporaryFileDownloadPath, path);
}
std::string HTTPRequest::temporaryUncompressedDataDownloadPath() const {
  return lockedCopy(temporaryUncompressedDataDownloadPath_);
}
void HTTPRequest::setTemporaryUncompressedDataDownloadPath(const std::string& path) {
  lockedStore(temporaryUncompressedDataDownloadPath_, path);
}
bool HTTPRequest::allowResumeForFileDownloads() const { return lockedCopy(settings_.allowResumeForFileDownloads); }
void HTTPRequest::setAllowResumeForFileDownloads(bool allow) {
  lockedStore(settings_.allowResumeForFileDownloads, allow);
}

std::string HTTPRequest::userAgentString() const { return lockedCopy(userAgentString_); }
void HTTPRequest::setUserAgentString(const std::string& userAgent) { lockedStore(userAgentString_, userAgent); }
double HTTPRequest::timeOutSeconds() const { return lockedCopy(settings_.timeOutSeconds); }
void HTTPRequest::setTimeOutSeconds(double seconds) { lockedStore(settings_.timeOutSeconds, seconds); }
int HTTPRequest::numberOfTimesToRetryOnTimeout() const { return lockedCopy(settings_.numberOfTimesToRetryOnTimeout); }
void HTTPRequest::setNumberOfTimesToRetryOnTimeout(int times) {
  lockedStore(settings_.numberOfTimesToRetryOnTimeout, times);
}
bool HTTPRequest::showAccurateProgress() const { return lockedCopy(settings_.showAccurateProgress); }
void HTTPRequest::setShowAccurateProgress(bool accurate) { lockedStore(settings_.showAccurateProgress, accurate); }
bool HTTPRequest::shouldResetUploadProgress() const { return lockedCopy(settings_.shouldResetUploadProgress); }
void HTTPRequest::setShouldResetUploadProgress(bool reset) { lockedStore(settings_.shouldResetUploadProgress, reset); }
bool HTTPRequest::shouldResetDownloadProgress() const { return lockedCopy(settings_.shouldResetDownloadProgress); }
void HTTPRequest::setShouldResetDownloadProgress(bool reset) {
  lockedStore(settings_.shouldResetDownloadProgress, reset);
}
std::string HTTPRequest::defaultResponseEncoding() const { return lockedCopy(settings_.defaultResponseEncoding); }
void HTTPRequest::setDefaultResponseEncoding(const std::string& charset) {
  lockedStore(settings_.defaultResponseEncoding, charset);
}
bool HTTPRequest::useHTTPVersionOne() const { return lockedCopy(settings_.useHTTPVersionOne); }
void HTTPRequest::setUseHTTPVersionOne(bool use) { lockedStore(settings_.useHTTPVersionOne, use); }
bool HTTPRequest::shouldRedirect() const { return lockedCopy(settings_.shouldRedirect); }
void HTTPRequest::setShouldRedirect(bool follow) { lockedStore(settings_.shouldRedirect, follow); }
bool HTTPRequest::shouldUseRFC2616RedirectBehaviour() const {
  return lockedCopy(settings_.shouldUseRFC2616RedirectBehaviour);
}
void HTTPRequest::setShouldUseRFC2616RedirectBehaviour(bool use) {
  lockedStore(settings_.shouldUseRFC2616RedirectBehaviour, use);
}
bool HTTPRequest::validatesSecureCertificate() const { return lockedCopy(settings_.validatesSecureCertificate); }
void HTTPRequest::setValidatesSecureCertificate(bool validates) {
  lockedStore(settings_.validatesSecureCertificate, validates);
}
std::shared_ptr<const net::ClientIdentity> HTTPRequest::clientCertificateIdentity() const {
  return lockedCopy(settings_.clientCertificateIdentity);
}
void HTTPRequest::setClientCertificateIdentity(std::shared_ptr<const net::ClientIdentity> identity) {
  lockedStore(settings_.clientCertificateIdentity, std::move(identity));
}
std::vector<std::shared_ptr<const net::Certificate>> HTTPRequest::clientCertificates() const {
  return lockedCopy(settings_.clientCertificates);
}
void HTTPRequest::setClientCertificates(std::vector<std::shared_ptr<const net::Certificate>> certificates) {
  lockedStore(settings_.clientCertificates, std::move(certificates));
}
bool HTTPRequest::shouldAttemptPersistentConnection() const {
  return lockedCopy(settings_.shouldAttemptPersistentConnection);
}
void HTTPRequest::setShouldAttemptPersistentConnection(bool attempt) {
  lockedStore(settings_.shouldAttemptPersistentConnection, attempt);
}
double HTTPRequest::persistentConnectionTimeoutSeconds() const {
  return lockedCopy(settings_.persistentConnectionTimeoutSeconds);
}
void HTTPRequest::setPersistentConnectionTimeoutSeconds(double seconds) {
  lockedStore(settings_.persistentConnectionTimeoutSeconds, seconds);
}
std::string HTTPRequest::proxyHost() const { return lockedCopy(settings_.proxyHost); }
int HTTPRequest::proxyPort() const { return lockedCopy(settings_.proxyPort); }
void HTTPRequest::setProxy(const std::string& host, int port) {
  Lock lock(cancelledLock_);
  settings_.proxyHost = host;
  settings_.proxyPort = port;
}
foundation::Dictionary HTTPRequest::userInfo() const { return lockedCopy(settings_.userInfo); }
void HTTPRequest::setUserInfo(foundation::Dictionary userInfo) { lockedStore(settings_.userInfo, std::move(userInfo)); }
std::int64_t HTTPRequest::tag() const { return lockedCopy(settings_.tag); }
void HTTPRequest::setTag(std::int64_t tag) { lockedStore(settings_.tag, tag); }

void HTTPRequest::setDidStartSelector(RequestSelector selector) { lockedStore(settings_.didStartSelector, selector); }
void HTTPRequest::setDidReceiveResponseHeadersSelector(HeadersSelector selector) {
  lockedStore(didReceiveResponseHeadersSelector_, selector);
}
void HTTPRequest::setWillRedirectSelector(RedirectSelector selector) { lockedStore(willRedirectSelector_, selector); }
void HTTPRequest::setDidFinishSelector(RequestSelector selector) { lockedStore(settings_.didFinishSelector, selector); }
void HTTPRequest::setDidFailSelector(RequestSelector selector) { lockedStore(settings_.didFailSelector, selector); }
void HTTPRequest::setDidReceiveDataSelector(DataSelector selector) { lockedStore(didReceiveDataSelector_, selector); }

void HTTPRequest::setStartedBlock(BasicBlock block) { setBlock(&Blocks::started, std::move(block)); }
void HTTPRequest::setHeadersReceivedBlock(HeadersBlock block) { setBlock(&Blocks::headersReceived, std::move(block)); }
void HTTPRequest::setCompletionBlock(BasicBlock block) { setBlock(&Blocks::completion, std::move(block)); }
void HTTPRequest::setFailureBlock(BasicBlock block) { setBlock(&Blocks::failure, std::move(block)); }
void HTTPRequest::setBytesReceivedBlock(ProgressBlock block) { setBlock(&Blocks::bytesReceived, std::move(block)); }
void HTTPRequest::setBytesSentBlock(ProgressBlock block) { setBlock(&Blocks::bytesSent, std::move(block)); }
void HTTPRequest::setDownloadSizeIncrementedBlock(SizeBlock block) {
  setBlock(&Blocks::downloadSizeIncremented, std::move(block));
}
void HTTPRequest::setUploadSizeIncrementedBlock(SizeBlock block) {
  setBlock(&Blocks::uploadSizeIncremented, std::move(block));
}
void HTTPRequest::setDataReceivedBlock(DataBlock block) { setBlock(&Blocks::dataReceived, std::move(block)); }
void HTTPRequest::setRequestRedirectedBlock(BasicBlock block) {
  setBlock(&Blocks::requestRedirected, std::move(block));
}

bool HTTPRequest::complete() const { return lockedCopy(complete_); }
foundation::ErrorPtr HTTPRequest::error() const { return lockedCopy(error_); }
int HTTPRequest::responseStatusCode() const { return lockedCopy(responseStatusCode_); }
std::string HTTPRequest::responseStatusMessage() const { return lockedCopy(responseStatusMessage_); }
foundation::Dictionary HTTPRequest::responseHeaders() const { return lockedCopy(responseHeaders_); }
std::vector<net::Cookie> HTTPRequest::responseCookies() const { return lockedCopy(responseCookies_); }
std::string HTTPRequest::responseEncoding() const {
  Lock lock(cancelledLock_);
  return responseEncoding_.empty() ? settings_.defaultResponseEncoding : responseEncoding_;
}
foundation::Bytes HTTPRequest::rawResponseData() const { return lockedCopy(rawResponseData_); }
std::uint64_t HTTPRequest::contentLength() const { return lockedCopy(contentLength_); }
std::uint64_t HTTPRequest::partialDownloadSize() const { return lockedCopy(partialDownloadSize_); }
bool HTTPRequest::replyCompletedPartialFile() const { return lockedCopy(replyCompletesPartialFile_); }
std::uint64_t HTTPRequest::totalBytesRead() const { return lockedCopy(totalBytesRead_); }
std::uint64_t HTTPRequest::totalBytesSent() const { return lockedCopy(totalBytesSent_); }
std::uint64_t HTTPRequest::postLength() const { return lockedCopy(settings_.postLength); }
int HTTPRequest::redirectCount() const { return lockedCopy(redirectCount_); }
int HTTPRequest::retryCount() const { return lockedCopy(retryCount_); }
int HTTPRequest::authenticationNeeded() const { return lockedCopy(authenticationNeeded_); }
std::optional<std::uint32_t> HTTPRequest::requestID() const { return lockedCopy(requestID_); }
std::shared_ptr<HTTPRequest> HTTPRequest::mainRequest() const {
  Lock lock(cancelledLock_);
  return mainRequest_.lock();
}

std::optional<int> HTTPRequest::connectionID() const {
  Lock lock(cancelledLock_);
  if (!connectionInfo_) return std::nullopt;
  std::scoped_lock poolLock(ConnectionPool::shared().lock());
  return connectionInfo_->id;
}

}  // namespace http
