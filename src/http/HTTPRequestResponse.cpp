// Reading the response head: status, cookies, text encoding, length, keep-alive and redirects.
#include <charconv>

#include "platform/foundation/Url.h"
#include "platform/net/HTTPMessage.h"
#include "platform/net/HTTPReadStream.h"
#include "platform/net/URLParts.h"
#include "src/http/ConnectionPool.h"
#include "src/http/HTTPRequest.h"

namespace http {
namespace {

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Only plain decimal digits: "0x10" or "010" are not lengths a server may send.
std::optional<std::uint64_t> parseDecimal(std::string_view text) {
  text = trimmed(text);
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (status != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// The integer after `key` in a "Keep-Alive" header ("timeout=15, max=100"), if present.
std::optional<long long> keepAliveValue(std::string_view header, std::string_view key) {
  auto at = header.find(key);
  if (at == std::string_view::npos) return std::nullopt;
  auto rest = header.substr(at + key.size());
  long long value = 0;
  std::from_chars(rest.data(), rest.data() + rest.size(), value);
  return value;
}

foundation::Dictionary headerDictionary(const net::HTTPMessage& response) {
  foundation::Dictionary headers;
  for (const auto& [name, value] : response.mergedHeaderFields()) headers.set(name, value);
  return headers;
}

}  // namespace

void HTTPRequest::readResponseHeaders() {
  authenticationNeeded_ = 0;
  auto response = readStream_ ? readStream_->responseHeader() : nullptr;
  if (!response || !response->isHeaderComplete()) return;
  headersRead_ = true;
  responseHeaders_ = headerDictionary(*response);
  responseStatusCode_ = response->statusCode();
  responseStatusMessage_ = response->statusLine();
  if (answerNotModified()) return;
  if (responseStatusCode_ == 401) authenticationNeeded_ = 1;
  if (responseStatusCode_ == 407) authenticationNeeded_ = 2;
  if (authenticationNeeded_ != 0) {
    lastChallenge_ = response;
    challengeIsNew_ = true;
  }
  storeAcceptedPreemptiveCredentials();
  parseStringEncodingFromHeaders(*response);

  responseCookies_ = net::CookieStore::cookiesFromResponse(*response, url_);
  if (settings_.useCookiePersistence) {
    net::CookieStore::shared().setCookies(responseCookies_, url_);
    for (const auto& cookie : responseCookies_) addSessionCookie(cookie);
  }

  if (!willRedirect(*response)) applyResponseLength(*response);
  if (settings_.shouldAttemptPersistentConnection) decideKeepAlive(*response);
  requestReceivedResponseHeaders(responseHeaders_);
}

void HTTPRequest::keepHeadOfFailedResponse() {
  auto response = readStream_ ? readStream_->responseHeader() : nullptr;
  if (headersRead_ || !response || !response->isHeaderComplete()) return;
  headersRead_ = true;
  responseHeaders_ = headerDictionary(*response);
  responseStatusCode_ = response->statusCode();
  responseStatusMessage_ = response->statusLine();
}

void HTTPRequest::applyResponseLength(const net::HTTPMessage& response) {
  auto main = mainRequest_.lock();
  HTTPRequest& target = main ? *main : *this;
  Lock targetLock(target.cancelledLock_);
  bool announce = settings_.showAccurateProgress && settings_.shouldResetDownloadProgress;
  auto lengthText = response.headerFieldValue("Content-Length");
  auto length = lengthText ? parseDecimal(*lengthText) : std::nullopt;
  if (!length) {
    if (announce) {
      target.settings_.showAccurateProgress = false;
      target.incrementDownloadSizeBy(1);
    }
    return;
  }
  // 20 bytes of gzip is an empty body: the size of what it inflates to is unknown.
  if (isResponseCompressedLocked() && settings_.allowCompressedResponse && *length == 20 && announce) {
    if (main) {
      main->settings_.showAccurateProgress = false;
      main->incrementDownloadSizeBy(1);
    }
    return;
  }
  target.contentLength_ = *length;
  if (announce)
    target.incrementDownloadSizeBy(static_cast<std::int64_t>(target.contentLength_ + target.partialDownloadSize_));
}

void HTTPRequest::decideKeepAlive(const net::HTTPMessage& response) {
  std::string connection = net::toLowerASCII(response.headerFieldValue("Connection").value_or(""));
  connectionCanBeReused_ = false;
  if (response.version() == net::HTTPVersion::HTTP1_0 && connection != "keep-alive") return;
  if (connection == "close") return;
  if (auto keepAlive = response.headerFieldValue("Keep-Alive")) {
    auto timeout = keepAliveValue(*keepAlive, "timeout=");
    if (keepAliveValue(*keepAlive, "max=").value_or(0) <= 5) return;
    // Without a timeout the server leaves the idle time to us: the default stays.
    if (timeout) settings_.persistentConnectionTimeoutSeconds = static_cast<double>(*timeout);
  }
  connectionCanBeReused_ = true;
}

void HTTPRequest::parseStringEncodingFromHeaders(const net::HTTPMessage& response) {
  responseEncoding_ = settings_.defaultResponseEncoding;
  std::string mimeType;
  parseMimeType(mimeType, responseEncoding_, response.headerFieldValue("Content-Type"));
}

bool HTTPRequest::willRedirect(const net::HTTPMessage& response) {
  return willRedirectTo(response.statusCode(), response.headerFieldValue("Location"));
}

bool HTTPRequest::willRedirectTo(int status, const std::optional<std::string>& location) {
  if (!settings_.shouldRedirect || !location || (status != 301 && status != 302 && status != 303 && status != 307)) {
    return false;
  }
  requestRedirected();
  if (status != 307 && (status == 303 || !settings_.shouldUseRFC2616RedirectBehaviour)) {
    // A HEAD request asks the next location for its head too, never for its (whole) body.
    if (settings_.requestMethod != "HEAD") settings_.requestMethod = "GET";
    settings_.postBody.clear();
    settings_.compressedPostBody.clear();
    settings_.shouldStreamPostDataFromDisk = false;
    settings_.postLength = 0;
    foundation::Dictionary kept;
    for (const char* name : {"User-Agent", "Accept"}) {
      if (const auto* value = settings_.requestHeaders.find(name)) kept.set(name, *value);
    }
    settings_.requestHeaders = std::move(kept);
    haveBuiltRequestHeaders_ = false;
  } else {
    applyCookieHeader();
  }
  auto base = foundation::Url::parse(url_);
  auto target = base.ok() ? base->resolve(*location) : foundation::Result<foundation::Url>(base.error());
  // An unresolvable Location leaves an empty URL, which the main step refuses as a bad URL.
  redirectURL_ = target.ok() ? target->absoluteString() : std::string();
  needsRedirect_ = true;
  settings_.requestCookies.clear();
  return true;
}

bool HTTPRequest::willAskDelegateToConfirmRedirect() {
  Lock lock(cancelledLock_);
  auto delegate = settings_.delegate.lock();
  bool asks = (delegate && delegate->respondsTo(HTTPRequestDelegate::Optional::willRedirect)) ||
              (queue_ && queue_->respondsTo(HTTPRequestDelegate::Optional::willRedirect));
  if (!asks) return false;
  std::string target = std::exchange(redirectURL_, std::string());
  requestWillRedirectToURL(target);
  return true;
}

void HTTPRequest::redirectToURL(const std::string& url) {
  {
    Lock lock(cancelledLock_);
    redirectURL_ = url;
  }
  networkLoop().post([request = self()] { request->performRedirect(); });
}

void HTTPRequest::performRedirect() {
  Lock lock(cancelledLock_);
  if (!needsRedirect_ || error_) return;  // not waiting for one (a late or repeated answer)
  // Challenges are bounded per hop: with one-time nonces every hop calls the last answer stale.
  authenticationRetryCount_ = 0;
  proxyAuthenticationRetryCount_ = 0;
  if (redirectURL_ != url_) {
    forgetCredentialsForOrigin(redirectURL_);
    url_ = redirectURL_;
    request_.reset();
    requestAuthentication_.reset();
    proxyAuthentication_.reset();
  }
  redirectURL_.clear();
  complete_ = true;
  needsRedirect_ = false;
  ++redirectCount_;
  if (redirectCount_ >= 6) {
    failWithError(tooManyRedirectsError());
    complete_ = true;
    return;
  }
  main();
}

}  // namespace http
