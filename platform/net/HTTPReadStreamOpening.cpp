#include <charconv>

#include "platform/net/HTTPReadStreamImpl.h"
#include "platform/net/NetErrors.h"
#include "platform/net/SOCKSHandshake.h"

namespace net {
namespace {

std::optional<std::uint64_t> parseContentLength(const std::string& text) {
  std::uint64_t value = 0;
  const auto* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
  return value;
}

// Which TLS relaxations a connection was accepted under; part of its reuse key.
std::string tlsChecksText(const TLSSettings& settings) {
  std::string text = std::string(settings.allowsExpiredCertificates ? "e" : "-") +
                     (settings.allowsAnyRoot ? "r" : "-") + (settings.validatesCertificateChain ? "c" : "-") +
                     (settings.peerName ? "=" + *settings.peerName : "");
  // A connection that presented one identity is never lent to a request with another (or none).
  if (settings.clientIdentity) {
    text += "/id" + std::to_string(settings.clientIdentity->serial());
    for (const auto& certificate : settings.clientCertificates) text += "+" + std::to_string(certificate->serial());
  }
  return text;
}

}  // namespace

foundation::ErrorPtr HTTPReadStream::Impl::prepareRequest() {
  const bool viaProxy = proxy.has_value();
  const bool viaHTTPProxy = viaProxy && proxy->kind == ProxyServer::Kind::kHTTP;
  if (viaHTTPProxy && request.scheme() == "https") {
    if (auto value = request.headerFieldValue("Proxy-Authorization")) proxyAuthorization = *value;
    request.setHeaderFieldValue("Proxy-Authorization", std::nullopt);
  }
  if (body) {
    if (auto length = request.headerFieldValue("Content-Length")) {
      declaredLength = parseContentLength(*length);
      if (!declaredLength) return streamError(kRequestBodyReadFailed, "Invalid Content-Length: " + *length);
    } else {
      chunked = true;
      request.setHeaderFieldValue("Transfer-Encoding", "chunked");
    }
    if (auto status = body->open(); !status)
      return streamError(kRequestBodyReadFailed, "The request body cannot be read", status.error());
  }
  head = request.serializedHead(viaHTTPProxy && request.scheme() == "http");
  const bool loginNamed = viaProxy && !(proxy->username.empty() && proxy->password.empty());
  key = ConnectionKey{streamID,
                      request.scheme(),
                      request.host(),
                      request.port(),
                      viaProxy ? proxy->host : "",
                      viaProxy ? proxy->port : 0,
                      request.scheme() == "https" ? tlsChecksText(tlsSettings) : "",
                      viaProxy ? static_cast<int>(proxy->kind) : -1,
                      viaProxy ? proxy->username : "",
                      viaProxy ? proxy->password : "",
                      loginNamed ? "" : proxyAuthorization};
  parser = std::make_unique<HTTPResponseParser>(
      request.requestMethod() == "HEAD",
      [this](const std::uint8_t* data, std::size_t size) { appendBody(data, size); });
  return nullptr;
}

void HTTPReadStream::Impl::start() {
  if (closed()) return;
  if (persistent) {
    connection = IdleConnectionPool::take(*loop, key);
    if (connection) {
      reused = true;
      beginExchange();
      return;
    }
  }
  connection = Connection::create(*loop);
  const std::string& host = proxy ? proxy->host : request.host();
  const int port = proxy ? proxy->port : request.port();
  connection->connect(host, port, weakCall(&Impl::onConnected));
}

void HTTPReadStream::Impl::onConnected(foundation::ErrorPtr failure) {
  if (closed()) return;
  if (failure) return fail(std::move(failure));
  if (proxy && proxy->kind != ProxyServer::Kind::kHTTP)
    return performSOCKSHandshake(connection, *proxy, request.host(), request.port(), weakCall(&Impl::onTunnelReady));
  if (proxy && request.scheme() == "https") return sendConnect();
  onTunnelReady(nullptr);
}

void HTTPReadStream::Impl::onTunnelReady(foundation::ErrorPtr failure) {
  if (closed()) return;
  if (failure) return fail(std::move(failure));
  if (request.scheme() == "https") return startTLS();
  beginExchange();
}

void HTTPReadStream::Impl::sendConnect() {
  tunnelling = true;
  connectParser = std::make_unique<HTTPResponseParser>(
      false, [this](const std::uint8_t* data, std::size_t size) { appendBody(data, size); });
  const std::string authority = request.connectAuthority();
  std::string connect = "CONNECT " + authority + " HTTP/1.1\r\nHost: " + authority + "\r\n";
  if (!proxyAuthorization.empty()) connect += "Proxy-Authorization: " + proxyAuthorization + "\r\n";
  connect += "\r\n";
  writeBuffer.assign(connect.begin(), connect.end());
  writing = true;
  connection->write(writeBuffer.data(), writeBuffer.size(), weakCall(&Impl::onConnectWritten));
}

void HTTPReadStream::Impl::onConnectWritten(std::size_t, const IOOutcome& outcome) {
  writing = false;
  if (closed()) return;
  if (!outcome.ok()) writeFailure = outcome;
  readMore();
}

// The proxy answered CONNECT: a 2xx opens the tunnel; anything else is the response.
void HTTPReadStream::Impl::onConnectAnswered() {
  const int status = connectParser->head().statusCode();
  if (status < 200 || status >= 300) {
    tunnelling = false;
    proxyAnswered = true;
    parser = std::move(connectParser);
    phase = Phase::kOpen;
    exchanging = true;
    openOwed = true;
    return;
  }
  if (received > 0 || available() > 0)
    return fail(streamError(kResponseParseFailure, "The proxy sent bytes after accepting CONNECT"));
  tunnelling = false;
  connectParser.reset();
  startTLS();
}

void HTTPReadStream::Impl::startTLS() {
  connection->startTLS(request.host(), tlsSettings, weakCall(&Impl::onTLSReady));
}

void HTTPReadStream::Impl::onTLSReady(foundation::ErrorPtr failure) {
  if (closed()) return;
  if (failure) return fail(std::move(failure));
  beginExchange();
}

void HTTPReadStream::Impl::beginExchange() {
  phase = Phase::kOpen;
  exchanging = true;
  openOwed = true;
  scheduleDelivery();
  writeNext();
  readMore();
}

}  // namespace net
