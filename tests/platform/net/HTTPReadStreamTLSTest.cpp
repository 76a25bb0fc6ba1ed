#include <gtest/gtest.h>

#include <cstdio>

#include "platform/net/HTTPReadStream.h"
#include "platform/net/NetErrors.h"
#include "tests/platform/net/StreamExchange.h"
#include "tests/support/LoopbackServer.h"

namespace net {
namespace {

using testing::StreamExchange;
using testing::StreamOptions;
using testsupport::LoopbackServer;
using testsupport::Reply;
using testsupport::ServerOptions;

ServerOptions tlsServer(bool expired = false) {
  ServerOptions options;
  options.tls = true;
  options.expiredCertificate = expired;
  return options;
}

TLSSettings relaxed(bool expired, bool anyRoot, bool chain = true) {
  TLSSettings settings;
  settings.allowsExpiredCertificates = expired;
  settings.allowsAnyRoot = anyRoot;
  settings.validatesCertificateChain = chain;
  return settings;
}

class HTTPReadStreamTLSTest : public ::testing::Test {
 protected:
  void TearDown() override {
    HTTPReadStream::setAdditionalTrustedCertificates("");
    HTTPReadStream::closeIdleConnections();
  }

  foundation::ErrorPtr fetch(LoopbackServer& server, const std::string& url, TLSSettings settings = {}) {
    server.route("GET", "/secret", Reply::text("over tls"));
    StreamExchange exchange(url, StreamOptions().tls(std::move(settings)));
    EXPECT_TRUE(exchange.run());
    if (!exchange.error) {
      EXPECT_EQ(exchange.body, "over tls");
    }
    return exchange.error;
  }
};

TEST_F(HTTPReadStreamTLSTest, TrustedCertificateWorksByAddressAndByName) {
  LoopbackServer server(tlsServer());
  HTTPReadStream::setAdditionalTrustedCertificates(server.certificatePEM());
  EXPECT_FALSE(fetch(server, server.url("/secret")));
  EXPECT_FALSE(fetch(server, server.localhostURL("/secret")));
  ASSERT_EQ(server.requests().size(), 2u);
  EXPECT_TRUE(server.requests()[0].overTLS);
}

TEST_F(HTTPReadStreamTLSTest, UntrustedSelfSignedCertificateFailsUnlessAnyRootIsAllowed) {
  LoopbackServer server(tlsServer());
  auto error = fetch(server, server.url("/secret"));
  ASSERT_TRUE(error);
  EXPECT_TRUE(isTLSError(*error));
  EXPECT_EQ(error->code(), kTLSUnknownRoot);
  EXPECT_EQ(server.requestCount(), 0u);
  EXPECT_FALSE(fetch(server, server.url("/secret"), relaxed(false, true)));
  EXPECT_FALSE(fetch(server, server.url("/secret"), relaxed(false, false, false)));
}

TEST_F(HTTPReadStreamTLSTest, ExpiredCertificateFailsUnlessExpiryIsAllowed) {
  LoopbackServer server(tlsServer(true));
  HTTPReadStream::setAdditionalTrustedCertificates(server.certificatePEM());
  auto error = fetch(server, server.url("/secret"));
  ASSERT_TRUE(error);
  EXPECT_TRUE(error->is(kOSStatusErrorDomain, kTLSCertificateExpired)) << error->debugText();
  EXPECT_FALSE(fetch(server, server.url("/secret"), relaxed(true, false)));
}

TEST_F(HTTPReadStreamTLSTest, CertificateForAnotherNameFails) {
  LoopbackServer server(tlsServer());
  HTTPReadStream::setAdditionalTrustedCertificates(server.certificatePEM());
  TLSSettings otherName;
  otherName.peerName = "music.example.org";
  auto error = fetch(server, server.url("/secret"), otherName);
  ASSERT_TRUE(error);
  EXPECT_TRUE(error->is(kOSStatusErrorDomain, kTLSCertificateInvalid)) << error->debugText();
  TLSSettings noName;
  noName.peerName = "";
  EXPECT_FALSE(fetch(server, server.url("/secret"), noName));
}

TEST_F(HTTPReadStreamTLSTest, SecureSocketsAreReusedOnlyUnderTheSameChecks) {
  LoopbackServer server(tlsServer());
  server.route("GET", "/secret", Reply::text("over tls"));
  auto fetchPersistent = [&](TLSSettings settings) {
    auto exchange = std::make_unique<StreamExchange>(server.url("/secret"), StreamOptions().persistent().tls(settings));
    EXPECT_TRUE(exchange->run());
    return exchange;
  };
  EXPECT_FALSE(fetchPersistent(relaxed(false, true))->error);
  EXPECT_TRUE(fetchPersistent(relaxed(false, true))->stream->connectionWasReused());
  auto strict = fetchPersistent(TLSSettings());
  ASSERT_TRUE(strict->error);
  EXPECT_FALSE(strict->stream->connectionWasReused());
  EXPECT_TRUE(isTLSError(*strict->error));
  EXPECT_EQ(server.acceptedConnections(), 2);
}

TEST_F(HTTPReadStreamTLSTest, ABodyFileArrivesWholeOverPlainAndSecureConnections) {
  // Several pieces of the sender, and a last one in part.
  std::string content(3 * 1024 * 1024 + 1234, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>((i * 7919) >> 5);
  const std::string path = ::testing::TempDir() + "/tls-test-body.bin";
  {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
  }
  LoopbackServer plain;
  LoopbackServer secure(tlsServer());
  HTTPReadStream::setAdditionalTrustedCertificates(secure.certificatePEM());
  for (LoopbackServer* server : {&plain, &secure}) {
    server->route("PUT", "/upload", Reply::text("stored"));
    StreamExchange exchange(server->url("/upload"), StreamOptions()
                                                        .method("PUT")
                                                        .header("Content-Length", std::to_string(content.size()))
                                                        .body(InputStream::withFileAtPath(path)));
    ASSERT_TRUE(exchange.run());
    EXPECT_FALSE(exchange.error) << exchange.error->debugText();
    EXPECT_EQ(exchange.body, "stored");
    EXPECT_EQ(exchange.stream->requestBodyBytesWritten(), content.size());
    ASSERT_EQ(server->requests().size(), 1u);
    EXPECT_EQ(server->requests()[0].overTLS, server == &secure);
    EXPECT_TRUE(server->requests()[0].body == content) << "the body arrived damaged or in part";
  }
  std::remove(path.c_str());
}

class HTTPReadStreamProxyTest : public ::testing::Test {
 protected:
  void TearDown() override {
    HTTPReadStream::setAdditionalTrustedCertificates("");
    HTTPReadStream::closeIdleConnections();
  }

  static ServerOptions proxyOptions(std::string credentials = "") {
    ServerOptions options;
    options.proxy = true;
    options.proxyCredentials = std::move(credentials);
    return options;
  }

  ProxyServer at(const LoopbackServer& proxy) {
    ProxyServer server;
    server.host = "127.0.0.1";
    server.port = proxy.port();
    return server;
  }
};

TEST_F(HTTPReadStreamProxyTest, PlainRequestGoesToTheProxyInAbsoluteForm) {
  LoopbackServer origin;
  origin.route("POST", "/api", Reply::text("from origin"));
  LoopbackServer proxy(proxyOptions());
  StreamExchange exchange(origin.url("/api?x=1"), StreamOptions()
                                                      .method("POST")
                                                      .header("Content-Length", "4")
                                                      .body(InputStream::withBytes({'b', 'o', 'd', 'y'}))
                                                      .proxy(at(proxy)));
  ASSERT_TRUE(exchange.run());
  EXPECT_FALSE(exchange.error);
  EXPECT_EQ(exchange.body, "from origin");
  ASSERT_EQ(proxy.requests().size(), 1u);
  EXPECT_EQ(proxy.requests()[0].target, origin.url("/api?x=1"));
  ASSERT_EQ(origin.requests().size(), 1u);
  EXPECT_EQ(origin.requests()[0].target, "/api?x=1");
  EXPECT_EQ(origin.requests()[0].body, "body");
}

TEST_F(HTTPReadStreamProxyTest, SecureRequestGoesThroughAConnectTunnel) {
  ServerOptions secure;
  secure.tls = true;
  LoopbackServer origin(secure);
  origin.route("GET", "/secret", Reply::text("tunnelled"));
  HTTPReadStream::setAdditionalTrustedCertificates(origin.certificatePEM());
  LoopbackServer proxy(proxyOptions("user:pass"));
  StreamExchange exchange(origin.url("/secret"),
                          StreamOptions().header("Proxy-Authorization", "Basic dXNlcjpwYXNz").proxy(at(proxy)));
  ASSERT_TRUE(exchange.run());
  EXPECT_FALSE(exchange.error) << exchange.error->debugText();
  EXPECT_EQ(exchange.body, "tunnelled");
  ASSERT_EQ(proxy.requests().size(), 1u);
  EXPECT_EQ(proxy.requests()[0].method, "CONNECT");
  EXPECT_EQ(proxy.requests()[0].target, "127.0.0.1:" + std::to_string(origin.port()));
  ASSERT_EQ(origin.requests().size(), 1u);
  EXPECT_FALSE(origin.requests()[0].header("Proxy-Authorization")) << "proxy credentials leaked to the origin";
}

TEST_F(HTTPReadStreamProxyTest, ProxyRefusingTheTunnelIsTheResponse) {
  ServerOptions secure;
  secure.tls = true;
  LoopbackServer origin(secure);
  LoopbackServer proxy(proxyOptions("user:pass"));
  StreamExchange exchange(origin.url("/secret"), StreamOptions().proxy(at(proxy)).persistent());
  ASSERT_TRUE(exchange.run());
  EXPECT_FALSE(exchange.error);
  EXPECT_EQ(exchange.status(), 407);
  EXPECT_TRUE(exchange.stream->responseHeader()->headerFieldValue("Proxy-Authenticate"));
  EXPECT_EQ(exchange.body, "authentication required");
  EXPECT_EQ(origin.acceptedConnections(), 0);
  EXPECT_EQ(HTTPReadStream::idleConnectionCount(), 0u);
}

}  // namespace
}  // namespace net
