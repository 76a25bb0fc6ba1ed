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
  return delegate_.lock();
}
void HTTPRequest::setDelegate(std::weak_ptr<HTTPRequestDelegate> delegate) {
  lockedStore(delegate_, std::move(delegate));
}

std::shared_ptr<HTTPRequestQueueDelegate> HTTPRequest::queue() const { return lockedCopy(queue_); }
void HTTPRequest::setQueue(std::shared_ptr<HTTPRequestQueueDelegate> queue) { lockedStore(queue_, std::move(queue)); }

std::shared_ptr<ProgressDelegate> HTTPRequest::uploadProgressDelegate() const {
  Lock lock(cancelledLock_);
  return uploadProgressDelegate_.lock();
}
void HTTPRequest::setUploadProgressDelegate(std::weak_ptr<ProgressDelegate> delegate) {
  lockedStore(uploadProgressDelegate_, std::move(delegate));
}
std::shared_ptr<ProgressDelegate> HTTPRequest::downloadProgressDelegate() const {
  Lock lock(cancelledLock_);
  return downloadProgressDelegate_.lock();
}
void HTTPRequest::setDownloadProgressDelegate(std::weak_ptr<ProgressDelegate> delegate) {
  lockedStore(downloadProgressDelegate_, std::move(delegate));
}

std::string HTTPRequest::requestMethod() const { return lockedCopy(requestMethod_); }
void HTTPRequest::setRequestMethod(const std::string& method) {
  Lock lock(cancelledLock_);
  if (method == requestMethod_) return;
  requestMethod_ = method;
  // Bodies are never sent on a kept connection: a server that drops it mid-upload is not retried.
  bool hasBody = !postBody_.empty() || !postBodyFilePath_.empty();
  if (method == "POST" || method == "PUT" || hasBody) shouldAttemptPersistentConnection_ = false;
}

void HTTPRequest::addRequestHeader(const std::string& name, const std::string& value) {
  Lock lock(cancelledLock_);
  requestHeaders_.set(name, value);
}
foundation::Dictionary HTTPRequest::requestHeaders() const { return lockedCopy(requestHeaders_); }

std::vector<net::Cookie> HTTPRequest::requestCookies() const { return lockedCopy(requestCookies_); }
void HTTPRequest::setRequestCookies(std::vector<net::Cookie> cookies) {
  lockedStore(requestCookies_, std::move(cookies));
}

bool HTTPRequest::useCookiePersistence() const { return lockedCopy(useCookiePersistence_); }
void HTTPRequest::setUseCookiePersistence(bool use) { lockedStore(useCookiePersistence_, use); }
bool HTTPRequest::allowCompressedResponse() const { return lockedCopy(allowCompressedResponse_); }
void HTTPRequest::setAllowCompressedResponse(bool allow) { lockedStore(allowCompressedResponse_, allow); }
bool HTTPRequest::shouldWaitToInflateCompressedResponses() const {
  return lockedCopy(shouldWaitToInflateCompressedResponses_);
}
void HTTPRequest::setShouldWaitToInflateCompressedResponses(bool wait) {
  lockedStore(shouldWaitToInflateCompressedResponses_, wait);
}
std::uint64_t HTTPRequest::maxResponseDataSize() const { return lockedCopy(maxResponseDataSize_); }
void HTTPRequest::setMaxResponseDataSize(std::uint64_t bytes) { lockedStore(maxResponseDataSize_, bytes); }

std::string HTTPRequest::downloadDestinationPath() const { return lockedCopy(downloadDestinationPath_); }
void HTTPRequest::setDownloadDestinationPath(const std::string& path) { lockedStore(downloadDestinationPath_, path); }
std::string HTTPRequest::temporaryFileDownloadPath() const { return lockedCopy(temporaryFileDownloadPath_); }
void HTTPRequest::setTemporaryFileDownloadPath(const std::string& path) {
  lockedStore(temporaryFileDownloadPath_, path);
}
std::string HTTPRequest::temporaryUncompressedDataDownloadPath() const {
  return lockedCopy(temporaryUncompressedDataDownloadPath_);
}
void HTTPRequest::setTemporaryUncompressedDataDownloadPath(const std::string& path) {
  lockedStore(temporaryUncompressedDataDownloadPath_, path);
}
bool HTTPRequest::allowResumeForFileDownloads() const { return lockedCopy(allowResumeForFileDownloads_); }
void HTTPRequest::setAllowResumeForFileDownloads(bool allow) { lockedStore(allowResumeForFileDownloads_, allow); }

std::string HTTPRequest::userAgentString() const { return lockedCopy(userAgentString_); }
void HTTPRequest::setUserAgentString(const std::string& userAgent) { lockedStore(userAgentString_, userAgent); }
double HTTPRequest::timeOutSeconds() const { return lockedCopy(timeOutSeconds_); }
void HTTPRequest::setTimeOutSeconds(double seconds) { lockedStore(timeOutSeconds_, seconds); }
int HTTPRequest::numberOfTimesToRetryOnTimeout() const { return lockedCopy(numberOfTimesToRetryOnTimeout_); }
void HTTPRequest::setNumberOfTimesToRetryOnTimeout(int times) { lockedStore(numberOfTimesToRetryOnTimeout_, times); }
bool HTTPRequest::showAccurateProgress() const { return lockedCopy(showAccurateProgress_); }
void HTTPRequest::setShowAccurateProgress(bool accurate) { lockedStore(showAccurateProgress_, accurate); }
bool HTTPRequest::shouldResetUploadProgress() const { return lockedCopy(shouldResetUploadProgress_); }
void HTTPRequest::setShouldResetUploadProgress(bool reset) { lockedStore(shouldResetUploadProgress_, reset); }
bool HTTPRequest::shouldResetDownloadProgress() const { return lockedCopy(shouldResetDownloadProgress_); }
void HTTPRequest::setShouldResetDownloadProgress(bool reset) { lockedStore(shouldResetDownloadProgress_, reset); }
std::string HTTPRequest::defaultResponseEncoding() const { return lockedCopy(defaultResponseEncoding_); }
void HTTPRequest::setDefaultResponseEncoding(const std::string& charset) {
  lockedStore(defaultResponseEncoding_, charset);
}
bool HTTPRequest::useHTTPVersionOne() const { return lockedCopy(useHTTPVersionOne_); }
void HTTPRequest::setUseHTTPVersionOne(bool use) { lockedStore(useHTTPVersionOne_, use); }
bool HTTPRequest::shouldRedirect() const { return lockedCopy(shouldRedirect_); }
void HTTPRequest::setShouldRedirect(bool follow) { lockedStore(shouldRedirect_, follow); }
bool HTTPRequest::shouldUseRFC2616RedirectBehaviour() const { return lockedCopy(shouldUseRFC2616RedirectBehaviour_); }
void HTTPRequest::setShouldUseRFC2616RedirectBehaviour(bool use) {
  lockedStore(shouldUseRFC2616RedirectBehaviour_, use);
}
bool HTTPRequest::validatesSecureCertificate() const { return lockedCopy(validatesSecureCertificate_); }
void HTTPRequest::setValidatesSecureCertificate(bool validates) { lockedStore(validatesSecureCertificate_, validates); }
std::shared_ptr<const net::ClientIdentity> HTTPRequest::clientCertificateIdentity() const {
  return lockedCopy(clientCertificateIdentity_);
}
void HTTPRequest::setClientCertificateIdentity(std::shared_ptr<const net::ClientIdentity> identity) {
  lockedStore(clientCertificateIdentity_, std::move(identity));
}
std::vector<std::shared_ptr<const net::Certificate>> HTTPRequest::clientCertificates() const {
  return lockedCopy(clientCertificates_);
}
void HTTPRequest::setClientCertificates(std::vector<std::shared_ptr<const net::Certificate>> certificates) {
  lockedStore(clientCertificates_, std::move(certificates));
}
bool HTTPRequest::shouldAttemptPersistentConnection() const { return lockedCopy(shouldAttemptPersistentConnection_); }
void HTTPRequest::setShouldAttemptPersistentConnection(bool attempt) {
  lockedStore(shouldAttemptPersistentConnection_, attempt);
}
double HTTPRequest::persistentConnectionTimeoutSeconds() const {
  return lockedCopy(persistentConnectionTimeoutSeconds_);
}
void HTTPRequest::setPersistentConnectionTimeoutSeconds(double seconds) {
  lockedStore(persistentConnectionTimeoutSeconds_, seconds);
}
std::string HTTPRequest::proxyHost() const { return lockedCopy(proxyHost_); }
int HTTPRequest::proxyPort() const { return lockedCopy(proxyPort_); }
void HTTPRequest::setProxy(const std::string& host, int port) {
  Lock lock(cancelledLock_);
  proxyHost_ = host;
  proxyPort_ = port;
}
foundation::Dictionary HTTPRequest::userInfo() const { return lockedCopy(userInfo_); }
void HTTPRequest::setUserInfo(foundation::Dictionary userInfo) { lockedStore(userInfo_, std::move(userInfo)); }
std::int64_t HTTPRequest::tag() const { return lockedCopy(tag_); }
void HTTPRequest::setTag(std::int64_t tag) { lockedStore(tag_, tag); }

void HTTPRequest::setDidStartSelector(RequestSelector selector) { lockedStore(didStartSelector_, selector); }
void HTTPRequest::setDidReceiveResponseHeadersSelector(HeadersSelector selector) {
  lockedStore(didReceiveResponseHeadersSelector_, selector);
}
void HTTPRequest::setWillRedirectSelector(RedirectSelector selector) { lockedStore(willRedirectSelector_, selector); }
void HTTPRequest::setDidFinishSelector(RequestSelector selector) { lockedStore(didFinishSelector_, selector); }
void HTTPRequest::setDidFailSelector(RequestSelector selector) { lockedStore(didFailSelector_, selector); }
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
  return responseEncoding_.empty() ? defaultResponseEncoding_ : responseEncoding_;
}
foundation::Bytes HTTPRequest::rawResponseData() const { return lockedCopy(rawResponseData_); }
std::uint64_t HTTPRequest::contentLength() const { return lockedCopy(contentLength_); }
std::uint64_t HTTPRequest::partialDownloadSize() const { return lockedCopy(partialDownloadSize_); }
bool HTTPRequest::replyCompletedPartialFile() const { return lockedCopy(replyCompletesPartialFile_); }
std::uint64_t HTTPRequest::totalBytesRead() const { return lockedCopy(totalBytesRead_); }
std::uint64_t HTTPRequest::totalBytesSent() const { return lockedCopy(totalBytesSent_); }
std::uint64_t HTTPRequest::postLength() const { return lockedCopy(postLength_); }
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
