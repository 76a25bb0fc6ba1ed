// The request headers the engine adds, cookies, the partial download size and the proxy choice.
#include "platform/foundation/FileManager.h"
#include "platform/net/HTTPMessage.h"
#include "platform/net/ProxySettings.h"
#include "src/http/HTTPRequest.h"
#include "src/http/HeaderDictionary.h"

namespace http {

void HTTPRequest::buildRequestHeaders() {
  if (haveBuiltRequestHeaders_) return;
  haveBuiltRequestHeaders_ = true;
  if (auto main = mainRequest_.lock()) {
    Lock mainLock(main->cancelledLock_);
    for (const auto& [name, value] : main->settings_.requestHeaders) settings_.requestHeaders.set(name, value);
    return;
  }
  applyCookieHeader();
  if (!settings_.requestHeaders.contains("User-Agent")) {
    auto userAgent = userAgentString_.empty() ? defaultUserAgentString() : userAgentString_;
    if (userAgent) settings_.requestHeaders.set("User-Agent", *userAgent);
  }
  if (settings_.allowCompressedResponse) settings_.requestHeaders.set("Accept-Encoding", "gzip");
  if (settings_.shouldCompressRequestBody) settings_.requestHeaders.set("Content-Encoding", "gzip");
  if (auto measured = updatePartialDownloadSize(); !measured.ok()) {
    failWithError(measured.error());
    return;
  }
  sentRangeStart_ = partialDownloadSize_;
  if (partialDownloadSize_ != 0)
    settings_.requestHeaders.set("Range", "bytes=" + std::to_string(partialDownloadSize_) + "-");
  if (auto validator = storedResumeValidator()) settings_.requestHeaders.set("If-Range", *validator);
}

void HTTPRequest::applyCookieHeader() {
  if (settings_.useCookiePersistence) {
    auto stored = net::CookieStore::shared().cookiesForURL(url_);
    settings_.requestCookies.insert(settings_.requestCookies.end(), stored.begin(), stored.end());
  }
  std::vector<net::Cookie> cookies;
  if (auto main = mainRequest_.lock()) {
    Lock mainLock(main->cancelledLock_);
    cookies = main->settings_.requestCookies;
  } else {
    cookies = settings_.requestCookies;
  }
  if (cookies.empty()) return;
  std::string header;
  for (const auto& cookie : cookies) {
    if (!header.empty()) header += "; ";
    header += cookie.name + "=" + cookie.value;
  }
  settings_.requestHeaders.set("Cookie", header);
}

void HTTPRequest::applyRequestHeadersToMessage() {
  // The caller's own Proxy-Authorization replaces one made from a session login.
  if (headerValue(settings_.requestHeaders, "Proxy-Authorization")) presentedProxyCredentials_.reset();
  for (const auto& [name, value] : settings_.requestHeaders) {
    // A name or value with a line break would inject headers: refuse the request instead.
    if (!request_->setHeaderFieldValue(name, value.toString())) {
      failWithError(unableToCreateRequestError());
      return;
    }
  }
}

foundation::Status HTTPRequest::updatePartialDownloadSize() {
  if (!settings_.allowResumeForFileDownloads || settings_.downloadDestinationPath.empty() ||
      settings_.temporaryFileDownloadPath.empty() ||
      !foundation::FileManager::fileExists(settings_.temporaryFileDownloadPath)) {
    return {};
  }
  auto size = foundation::FileManager::fileSize(settings_.temporaryFileDownloadPath);
  if (!size.ok()) {
    return makeRequestError(HTTPRequestErrorCode::fileManagement,
                            "Failed to get attributes for file at path '" + settings_.temporaryFileDownloadPath + "'",
                            size.error());
  }
  partialDownloadSize_ = *size;
  return {};
}

bool HTTPRequest::configureProxies() {
  if (isPACFileRequest_ || !settings_.proxyHost.empty() || settings_.proxyPort != 0) return true;
  if (!settings_.PACurl.empty()) {
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
    settings_.PACurl = proxy.autoConfigURL;
    fetchPACFile();
    return false;
  }
  settings_.proxyHost = proxy.host;
  settings_.proxyPort = proxy.port;
  settings_.proxyType = proxy.type == net::ProxyType::kSOCKS5    ? "SOCKS"
                        : proxy.type == net::ProxyType::kSOCKS4a ? "SOCKS4"
                                                                 : "HTTP";
  // A login written into the proxy's URL, unless the caller gave one.
  if (!settings_.proxyUsername && !settings_.proxyPassword && !proxy.username.empty()) {
    settings_.proxyUsername = proxy.username;
    settings_.proxyPassword = proxy.password;
  }
  return true;
}

}  // namespace http
