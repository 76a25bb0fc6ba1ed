#include <gtest/gtest.h>

#include "platform/foundation/Digest.h"
#include "src/http/SessionCredentialStore.h"
#include "tests/http/EngineTestSupport.h"
#include "tests/http/LighttpdServer.h"
#include "tests/http/TinyproxyServer.h"

namespace http::test {
namespace {

// Basic and Digest against lighttpd, proxy credentials against tinyproxy: servers nobody here wrote.
class RealServerAuthenticationTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    HTTPRequest::clearSession();
    SessionCredentialStore::proxy().clear();
  }

  std::string startLighttpd() {
    if (LighttpdServer::program().empty()) return "skip";
    std::string line = "ann:vault:" + foundation::md5Hex("ann:vault:secret") + "\n";
    writeFile(lighttpd.file("users"), foundation::Bytes(line.begin(), line.end()));
    for (const char* folder : {"/basic", "/digest"}) {
      std::filesystem::create_directories(lighttpd.www() + folder);
      writeFile(lighttpd.www() + folder + "/page.txt", foundation::Bytes{'o', 'k'});
    }
    return lighttpd.start(
        "server.modules += (\"mod_auth\", \"mod_authn_file\")\n"
        "auth.backend = \"htdigest\"\n"
        "auth.backend.htdigest.userfile = \"" +
        lighttpd.file("users") +
        "\"\n"
        "auth.require = (\"/basic/\" => (\"method\" => \"basic\", \"realm\" => \"vault\", \"require\" => "
        "\"valid-user\"),\n"
        "                \"/digest/\" => (\"method\" => \"digest\", \"realm\" => \"vault\", \"require\" => "
        "\"valid-user\"))\n");
  }

  std::shared_ptr<HTTPRequest> asAnn(const std::string& url, const std::string& password) {
    delegate = std::make_shared<RecordingDelegate>();
    auto request = makeRequest(url);
    request->setUsername("ann");
    request->setPassword(password);
    return request;
  }

  LighttpdServer lighttpd;
};

TEST_F(RealServerAuthenticationTest, LighttpdAcceptsOurBasicAndDigestAndRefusesWrongPasswords) {
  std::string failure = startLighttpd();
  if (failure == "skip") GTEST_SKIP() << "lighttpd is not installed (Debian package lighttpd)";
  ASSERT_TRUE(failure.empty()) << failure;
  for (const char* path : {"/basic/page.txt", "/digest/page.txt"}) {
    auto request = asAnn(lighttpd.url(path), "secret");
    runToEnd(request);
    EXPECT_EQ(request->responseString(), "ok") << path;

    HTTPRequest::clearSession();
    auto wrong = asAnn(lighttpd.url(path), "wrong");
    runToEnd(wrong);
    EXPECT_TRUE(isRequestError(wrong->error(), HTTPRequestErrorCode::authenticationNeeded)) << path;
  }
}

TEST_F(RealServerAuthenticationTest, TinyproxyForwardsOnceGivenProxyCredentials) {
  if (TinyproxyServer::program().empty()) GTEST_SKIP() << "tinyproxy is not installed (Debian package tinyproxy-bin)";
  server.route("GET", "/via", testsupport::Reply::text("through"));
  TinyproxyServer proxy;
  std::string failure = proxy.start("pat", "pass");
  ASSERT_TRUE(failure.empty()) << failure;
  auto request = makeRequest(server.url("/via"));
  request->setProxy("127.0.0.1", proxy.port());
  request->setProxyUsername("pat");
  request->setProxyPassword("pass");
  runToEnd(request);
  EXPECT_EQ(request->responseString(), "through");
  EXPECT_EQ(request->proxyAuthenticationScheme(), "Basic");
}

}  // namespace
}  // namespace http::test
