// The connection step: the read stream, the persistent-connection records, scheduling on the
// network thread, stream events and the status timer.
#include "platform/net/HTTPMessage.h"
#include "platform/net/HTTPReadStream.h"
#include "platform/net/URLParts.h"
#include "src/http/BandwidthThrottle.h"
#include "src/http/ConnectionPool.h"
#include "src/http/DataDecompressor.h"
#include "src/http/HTTPRequest.h"
#include "src/http/NetworkActivityIndicator.h"

namespace http {
namespace {
constexpr unsigned kStreamEvents =
    net::kStreamEventHasBytesAvailable | net::kStreamEventErrorOccurred | net::kStreamEventEndEncountered;
constexpr foundation::Duration kStatusInterval{0.25};

foundation::TimePoint now() { return foundation::Clock::current().now(); }

// "SOCKS" (or "SOCKS5") and "SOCKS4" name SOCKS proxies; every other type, none included, HTTP.
net::ProxyServer::Kind proxyKindOfType(const std::string& type) {
  const std::string lower = net::toLowerASCII(type);
  if (lower == "socks" || lower == "socks5") return net::ProxyServer::Kind::kSOCKS5;
  if (lower == "socks4" || lower == "socks4a") return net::ProxyServer::Kind::kSOCKS4a;
  return net::ProxyServer::Kind::kHTTP;
}

// The stream's proxy with the login that keys its kept connections: the one a SOCKS handshake
// sends, or the one an HTTP proxy's Proxy-Authorization was made from (none when the engine made
// none), so that a kept tunnel never carries a request under another login.
net::ProxyServer proxyServer(const HTTPRequestSettings& settings, const net::CredentialsPtr& presented) {
  net::ProxyServer proxy{settings.proxyHost, settings.proxyPort, proxyKindOfType(settings.proxyType), "", ""};
  if (proxy.kind != net::ProxyServer::Kind::kHTTP) {
    proxy.username = settings.proxyUsername.value_or("");
    proxy.password = settings.proxyPassword.value_or("");
  } else if (presented) {
    // The same user and password in another account domain is another account.
    const auto& domain = presented->accountDomain;
    proxy.username = domain && !domain->empty() ? *domain + "\\" + presented->username : presented->username;
    proxy.password = presented->password;
  }
  return proxy;
}
}  // namespace

void HTTPRequest::startRequest() {
  if (isCancelled()) return;
  requestStarted();
  resetForAttempt();
  if (!createReadStream()) {
    failWithError(makeRequestError(HTTPRequestErrorCode::internal, "Unable to create read stream"));
    return;
  }
  if (request_->scheme() == "https") applyTLSSettings();
  if (!settings_.proxyHost.empty() && settings_.proxyPort != 0) {
    readStream_->setProxy(proxyServer(settings_, presentedProxyCredentials_));
  }

  // The idle stream of a reused connection has ended cleanly; closing it leaves its socket for
  // the new stream under the same stream ID.
  if (auto oldStream = chooseConnection()) oldStream->close();
  // A stream held by the throttle is scheduled by the throttling step once it may read.
  if (!readStreamIsScheduled_ && !BandwidthThrottle::shared().holdsStreams()) scheduleReadStream();
  if (!readStream_->open()) {
    connectionCanBeReused_ = false;
    destroyReadStream();
    failWithError(makeRequestError(HTTPRequestErrorCode::internal, "Unable to start HTTP connection"));
    return;
  }
  if (!isHEADRequest()) {
    if (settings_.shouldResetUploadProgress) {
      incrementUploadSizeBy(settings_.showAccurateProgress ? static_cast<std::int64_t>(settings_.postLength) : 1);
      deliverFraction(ProgressReceiver::uploadDelegate, 0, 1);
    }
    if (settings_.shouldResetDownloadProgress && partialDownloadSize_ == 0) {
      deliverFraction(ProgressReceiver::downloadDelegate, 0, 1);
    }
  }
  lastActivityTime_ = now();
  startStatusTimer();
}

void HTTPRequest::applyTLSSettings() {
  if (!settings_.validatesSecureCertificate) {
    net::TLSSettings relaxed;
    relaxed.allowsExpiredCertificates = true;
    relaxed.allowsAnyRoot = true;
    relaxed.validatesCertificateChain = false;
    relaxed.peerName = "";
    readStream_->setTLSSettings(relaxed);
  }
  if (settings_.clientCertificateIdentity) {
    // Takes the place of the relaxed settings: an identity goes only to a verified server.
    net::TLSSettings presenting;
    presenting.clientIdentity = settings_.clientCertificateIdentity;
    presenting.clientCertificates = settings_.clientCertificates;
    readStream_->setTLSSettings(presenting);
  }
}

void HTTPRequest::resetForAttempt() {
  downloadComplete_ = false;
  complete_ = false;
  totalBytesRead_ = 0;
  lastBytesRead_ = 0;
  if (redirectCount_ == 0) originalURL_ = url_;
  if (lastBytesSent_ != 0) removeUploadProgressSoFar();
  lastBytesSent_ = 0;
  contentLength_ = 0;
  responseHeaders_ = {};
  headersRead_ = false;
  connectionCanBeReused_ = false;
  if (!isFileDownload()) rawResponseData_ = {};
  fileOutputOpened_ = false;
  replyCompletesPartialFile_ = false;
  dataDecompressor_.reset();
  readStreamIsScheduled_ = false;
}

bool HTTPRequest::createReadStream() {
  postBodyReadStream_ = makePostBodyStream();
  readStream_ = net::HTTPReadStream::create(*request_, postBodyReadStream_);
  return readStream_ != nullptr;
}

std::shared_ptr<net::HTTPReadStream> HTTPRequest::chooseConnection() {
  auto& pool = ConnectionPool::shared();
  std::scoped_lock poolLock(pool.lock());
  pool.expireIdleRecords(now());
  auto parts = net::parseHTTPURL(url_);
  if (!parts.ok()) settings_.shouldAttemptPersistentConnection = false;
  // A request that does not keep connections never takes, creates or leaves a record.
  if (!settings_.shouldAttemptPersistentConnection) {
    connectionInfo_.reset();
    return nullptr;
  }
  int port = parts->explicitPort ? parts->port : 0;
  if (!pool.keepsRecord(connectionInfo_, parts->host, parts->scheme, port, now())) {
    connectionInfo_ = pool.findIdleRecord(parts->host, parts->scheme, port);
  }

  std::shared_ptr<net::HTTPReadStream> oldStream;
  if (connectionInfo_) {
    oldStream = connectionInfo_->stream;
  } else {
    connectionInfo_ = pool.createRecord(parts->host, parts->scheme, port);
  }
  if (!requestID_) requestID_ = pool.nextRequestNumber();
  connectionInfo_->request = *requestID_;
  connectionInfo_->stream = readStream_;
  readStream_->setAttemptPersistentConnection(true);
  readStream_->setStreamID(connectionInfo_->id);
  return oldStream;
}

void HTTPRequest::scheduleReadStream() {
  if (!readStream_ || readStreamIsScheduled_) return;
  NetworkActivityIndicator::shared().streamScheduled();
  lastActivityTime_ = now();
  std::weak_ptr<HTTPRequest> weak = self();
  readStream_->setClient(kStreamEvents, [weak](net::StreamEvent event) {
    if (auto request = weak.lock()) request->handleNetworkEvent(event);
  });
  readStream_->scheduleInRunLoop(foundation::RunLoop::current());
  readStreamIsScheduled_ = true;
}

void HTTPRequest::unscheduleReadStream() {
  if (!readStream_ || !readStreamIsScheduled_) return;
  NetworkActivityIndicator::shared().streamUnscheduled();
  readStream_->setClient(0, nullptr);
  readStream_->unscheduleFromRunLoop();
  readStreamIsScheduled_ = false;
}

void HTTPRequest::destroyReadStream() {
  if (!readStream_) return;
  unscheduleReadStream();
  bool heldByRecord = false;
  {
    std::scoped_lock poolLock(ConnectionPool::shared().lock());
    heldByRecord = connectionInfo_ && connectionInfo_->stream == readStream_;
  }
  // A reusable stream stays open while its connection record holds it.
  if (!connectionCanBeReused_ || !heldByRecord) readStream_->close();
  readStream_.reset();
}

void HTTPRequest::handleNetworkEvent(unsigned event) {
  Lock lock(cancelledLock_);
  if (complete_ || isCancelled()) return;
  auto keepAlive = self();
  switch (event) {
    case net::kStreamEventHasBytesAvailable:
      handleBytesAvailable();
      break;
    case net::kStreamEventErrorOccurred:
      handleStreamError();
      break;
    case net::kStreamEventEndEncountered:
      handleStreamComplete();
      break;
    default:
      break;
  }
  performThrottling();
  continueAfterEvent();
}

void HTTPRequest::continueAfterEvent() {
  if (!downloadComplete_) return;
  if (needsRedirect_) {
    if (!willAskDelegateToConfirmRedirect()) performRedirect();
  } else if (authenticationNeeded_ != 0) {
    attemptToApplyCredentialsAndResume();
  }
}

void HTTPRequest::startStatusTimer() {
  // The timer keeps the request alive until it is invalidated.
  setStatusTimer(foundation::RunLoop::current().scheduleTimer(kStatusInterval, true,
                                                              [request = self()] { request->updateStatus(); }));
}

void HTTPRequest::setStatusTimer(std::shared_ptr<foundation::Timer> timer) {
  if (statusTimer_ && statusTimer_ != timer) statusTimer_->invalidate();
  statusTimer_ = std::move(timer);
}

void HTTPRequest::updateStatus() {
  Lock lock(cancelledLock_);
  checkRequestStatus();
  if (!isExecuting()) setStatusTimer(nullptr);
}

}  // namespace http
