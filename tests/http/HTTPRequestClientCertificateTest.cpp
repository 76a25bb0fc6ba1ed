#include <gtest/gtest.h>

#include <filesystem>

#include "platform/net/HTTPReadStream.h"
#include "platform/net/NetErrors.h"
#include "tests/http/EngineTestSupport.h"
#include "tests/http/LighttpdServer.h"
#include "tests/support/TestCertificate.h"

namespace http::test {
namespace {

using testsupport::Reply;
using testsupport::TestCertificate;

// A server that admits only clients with a certificate under `root`, reached through an
// intermediate CA that the client must send itself.
class ClientCertificateTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    net::HTTPReadStream::setAdditionalTrustedCertificates(secure.certificatePEM());
    secure.route("GET", "/members", Reply::text("members only"));
  }
  void TearDown() override {
    net::HTTPReadStream::setAdditionalTrustedCertificates("");
    EngineTest::TearDown();
  }

  std::string save(const std::string& name, const std::string& content) {
    writeFile(files.file(name), foundation::Bytes(content.begin(), content.end()));
    return files.file(name);
  }
  std::shared_ptr<const net::ClientIdentity> pemIdentity() {
    return net::ClientIdentity::fromPEMFiles(save("ann.pem", ann.certificatePEM), save("ann.key", ann.privateKeyPEM));
  }
  std::shared_ptr<const net::Certificate> intermediateFile() {
    return net::Certificate::fromPEMFile(save("intermediate.pem", intermediate.certificatePEM));
  }
  std::shared_ptr<HTTPRequest> membersRequest(std::shared_ptr<const net::ClientIdentity> identity,
                                              std::vector<std::shared_ptr<const net::Certificate>> certificates = {}) {
    delegate = std::make_shared<RecordingDelegate>();
    auto request = makeRequest(secure.url("/members"));
    request->setClientCertificateIdentity(std::move(identity));
    request->setClientCertificates(std::move(certificates));
    return request;
  }
  void expectConnectionFailure(const std::shared_ptr<HTTPRequest>& request, const std::string& what) {
    EXPECT_TRUE(isRequestError(request->error(), HTTPRequestErrorCode::connectionFailure))
        << what << ": " << (request->error() ? request->error()->debugText() : "no error");
  }

  TemporaryDirectory files;
  TestCertificate root = TestCertificate::generate("DNS:client-root");
  TestCertificate intermediate = TestCertificate::issue("client intermediate", root, true);
  TestCertificate ann = TestCertificate::issue("ann", intermediate);
  testsupport::LoopbackServer secure{{.tls = true, .clientCertificateCA = root.certificatePEM}};
};

TEST_F(ClientCertificateTest, APKCS12OrPEMIdentityWithItsIntermediateIsAdmitted) {
  auto sealed =
      net::ClientIdentity::fromPKCS12File(save("ann.p12", ann.pkcs12("s3cret", intermediate.certificatePEM)), "s3cret");
  auto withPKCS12 = membersRequest(sealed);
  runToEnd(withPKCS12);
  EXPECT_EQ(withPKCS12->responseString(), "members only");

  auto withPEM = membersRequest(pemIdentity(), {intermediateFile()});
  runToEnd(withPEM);
  EXPECT_EQ(withPEM->responseString(), "members only");

  // Copies and HEAD requests present the same identity.
  auto copied = withPEM->copy();
  wakeMainLoopWhenFinished(*copied);
  delegate = std::make_shared<RecordingDelegate>();
  copied->setDelegate(delegate);
  runToEnd(copied);
  EXPECT_EQ(copied->responseString(), "members only");
  auto head = withPEM->HEADRequest();
  EXPECT_EQ(head->clientCertificateIdentity(), withPEM->clientCertificateIdentity());
  EXPECT_EQ(head->clientCertificates(), withPEM->clientCertificates());
}

TEST_F(ClientCertificateTest, NoIdentityAnIncompleteChainOrAnotherCAFailToConnect) {
  auto anonymous = membersRequest(nullptr);
  runToEnd(anonymous);
  expectConnectionFailure(anonymous, "no identity");

  auto withoutIntermediate = membersRequest(pemIdentity());
  runToEnd(withoutIntermediate);
  expectConnectionFailure(withoutIntermediate, "no intermediate");

  TestCertificate strangerRoot = TestCertificate::generate("DNS:stranger-root");
  TestCertificate stranger = TestCertificate::issue("mallory", strangerRoot);
  auto foreign = membersRequest(net::ClientIdentity::fromPKCS12File(save("mallory.p12", stranger.pkcs12("x")), "x"));
  runToEnd(foreign);
  expectConnectionFailure(foreign, "another CA");
  EXPECT_EQ(secure.requestCount(), 0u);
}

TEST_F(ClientCertificateTest, AnUnusableIdentityFailsClearlyBeforeAnythingIsSent) {
  const std::string sealedPath = save("ann.p12", ann.pkcs12("s3cret", intermediate.certificatePEM));
  struct Case {
    std::shared_ptr<const net::ClientIdentity> identity;
    std::string reason;
  };
  const Case cases[] = {
      {net::ClientIdentity::fromPKCS12File(sealedPath, "wrong"), "wrong password"},
      {net::ClientIdentity::fromPKCS12File(save("garbage.p12", "not a key store"), ""), "not a PKCS#12 file"},
      {net::ClientIdentity::fromPEMFiles(files.file("missing.pem"), ""), "not a readable file"},
      {net::ClientIdentity::fromPEMFiles(save("other.pem", root.certificatePEM), save("key.pem", ann.privateKeyPEM)),
       "does not belong"},
  };
  for (const auto& c : cases) {
    auto request = membersRequest(c.identity);
    runToEnd(request);
    expectConnectionFailure(request, c.reason);
    auto underlying = request->error() ? request->error()->underlying() : nullptr;
    ASSERT_TRUE(underlying) << c.reason;
    EXPECT_EQ(underlying->code(), net::kTLSClientCredentialUnusable);
    EXPECT_NE(underlying->description().find(c.reason), std::string::npos) << underlying->description();
  }
  EXPECT_EQ(secure.requestCount(), 0u) << "nothing is sent without the identity";
}

TEST_F(ClientCertificateTest, LighttpdAdmitsOnlyTheVerifiedClient) {
  if (LighttpdServer::program().empty()) GTEST_SKIP() << "lighttpd is not installed (Debian package lighttpd)";
  const std::string module =
      std::filesystem::path(LighttpdServer::program()).parent_path().parent_path() / "lib/lighttpd/mod_openssl.so";
  if (!std::filesystem::exists(module))
    GTEST_SKIP() << "lighttpd's TLS module is missing (Debian package lighttpd-mod-openssl)";
  LighttpdServer lighttpd;
  TestCertificate serverCertificate = TestCertificate::generate("IP:127.0.0.1");
  writeFile(lighttpd.www() + "/page.txt", foundation::Bytes{'o', 'k'});
  std::string failure = lighttpd.start(
      "server.modules += (\"mod_openssl\")\n"
      "ssl.engine = \"enable\"\n"
      "ssl.pemfile = \"" +
      save("server.pem", serverCertificate.certificatePEM) +
      "\"\n"
      "ssl.privkey = \"" +
      save("server.key", serverCertificate.privateKeyPEM) +
      "\"\n"
      "ssl.verifyclient.ca-file = \"" +
      save("root.pem", root.certificatePEM) +
      "\"\n"
      "ssl.verifyclient.activate = \"enable\"\n"
      "ssl.verifyclient.enforce = \"enable\"\n"
      "ssl.verifyclient.depth = 3\n");
  ASSERT_TRUE(failure.empty()) << failure;
  net::HTTPReadStream::setAdditionalTrustedCertificates(serverCertificate.certificatePEM);
  const std::string url = "https://127.0.0.1:" + std::to_string(lighttpd.port()) + "/page.txt";

  delegate = std::make_shared<RecordingDelegate>();
  auto admitted = makeRequest(url);
  admitted->setClientCertificateIdentity(pemIdentity());
  admitted->setClientCertificates({intermediateFile()});
  runToEnd(admitted);
  EXPECT_EQ(admitted->responseString(), "ok");

  delegate = std::make_shared<RecordingDelegate>();
  auto anonymous = makeRequest(url);
  runToEnd(anonymous);
  expectConnectionFailure(anonymous, "lighttpd without identity");
}

}  // namespace
}  // namespace http::test
