// The request headers the engine adds, cookies, the partial download size and the proxy choice.
#include "platform/foundation/FileManager.h"
#include "platform/net/HTTPMessage.h"
#include "platform/net/ProxySettings.h"
#include "src/http/HTTPRequest.h"

namespace http {

void HTTPRequest::buildRequestHeaders() {
  if (haveBuiltRequestHeaders_) return;
  haveBuiltRequestHeaders_ = true;
  if (auto main = mainRequest_.lock()) {
    Lock mainLock(main->cancelledLock_);
    for (const auto& [name, value] : main->requestHeaders_) requestHeaders_.set(name, value);
    return;
  }
  applyCookieHeader();
  if (!requestHeaders_.contains("User-Agent")) {
    auto userAgent = userAgentString_.empty() ? defaultUserAgentString() : userAgentString_;
    if (userAgent) requestHeaders_.set("User-Agent", *userAgent);
  }
  if (allowCompressedResponse_) requestHeaders_.set("Accept-Encoding", "gzip");
  if (shouldCompressRequestBody_) requestHeaders_.set("Content-Encoding", "gzip");
  if (auto measured = updatePartialDownloadSize(); !measured.ok()) {
    failWithError(measured.error());
    return;
  }
  sentRangeStart_ = partialDownloadSize_;
  if (partialDownloadSize_ != 0) requestHeaders_.set("Range", "bytes=" + std::to_string(partialDownloadSize_) + "-");
  if (auto validator = storedResumeValidator()) requestHeaders_.set("If-Range", *validator);
}

void HTTPRequest::applyCookieHeader() {
  if (useCookiePersistence_) {
    auto stored = net::CookieStore::shared().cookiesForURL(url_);
    requestCookies_.insert(requestCookies_.end(), stored.begin(), stored.end());
  }
  std::vector<net::Cookie> cookies;
  if (auto main = mainRequest_.lock()) {
    Lock mainLock(main->cancelledLock_);
    cookies = main->requestCookies_;
  } else {
    cookies = requestCookies_;
  }
  if (cookies.empty()) return;
  std::string header;
  for (const auto& cookie : cookies) {
    if (!header.empty()) header += "; ";
    header += cookie.name + "=" + cookie.value;
  }
  requestHeaders_.set("Cookie", header);
}

void HTTPRequest::applyRequestHeadersToMessage() {
  for (const auto& [name, value] : requestHeaders_) {
    // A name or value with a line break would inject headers: refuse the request instead.
    if (!request_->setHeaderFieldValue(name, value.toString())) {
      failWithError(unableToCreateRequestError());
      return;
    }
  }
}

foundation::Status HTTPRequest::updatePartialDownloadSize() {
  if (!allowResumeForFileDownloads_ || downloadDestinationPath_.empty() || temporaryFileDownloadPath_.empty() ||
      !foundation::FileManager::fileExists(temporaryFileDownloadPath_)) {
    return {};
  }
  auto size = foundation::FileManager::fileSize(temporaryFileDownloadPath_);
  if (!size.ok()) {
    return makeRequestError(HTTPRequestErrorCode::fileManagement,
                            "Failed to get attributes for file at path '" + temporaryFileDownloadPath_ + "'",
                            size.error());
  }
  partialDownloadSize_ = *size;
  return {};
}

bool HTTPRequest::configureProxies() {
  if (isPACFileRequest_ || !proxyHost_.empty() || proxyPort_ != 0) return true;
  if (!PACurl_.empty()) {
    fetchPACFile();
    return false;
  }
  auto proxies = net::ProxySettings::system().proxiesForURL(url_);
  if (!proxies.ok()) {
    failWithError(makeRequestError(HTTPRequestErrorCode::internal,
                                   "Unable to obtain information on proxy servers needed for request"));
    return false;
  }
  if (proxies->empty()) return true;
  const net::ProxyInfo& proxy = proxies->front();
  if (proxy.type == net::ProxyType::kAutoConfig) {
    PACurl_ = proxy.autoConfigURL;
    fetchPACFile();
    return false;
  }
  proxyHost_ = proxy.host;
  proxyPort_ = proxy.port;
  proxyType_ = proxy.type == net::ProxyType::kSOCKS5    ? "SOCKS"
               : proxy.type == net::ProxyType::kSOCKS4a ? "SOCKS4"
                                                        : "HTTP";
  // A login written into the proxy's URL, unless the caller gave one.
  if (!proxyUsername_ && !proxyPassword_ && !proxy.username.empty()) {
    proxyUsername_ = proxy.username;
    proxyPassword_ = proxy.password;
  }
  return true;
}

}  // namespace http
