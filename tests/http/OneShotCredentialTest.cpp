#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/net/CredentialStorage.h"
#include "src/http/HTTPRequest.h"
#include "tests/app/ChildProcess.h"
#include "tests/http/TemporaryDirectory.h"
#include "tests/support/LoopbackServer.h"

namespace http::oneshot {
namespace {

using testsupport::hasBasicCredentials;
using testsupport::RecordedRequest;
using testsupport::Reply;

constexpr const char* kServerURLVariable = "ZR_TEST_ONE_SHOT_URL";
constexpr const char* kProxyPortVariable = "ZR_TEST_ONE_SHOT_PROXY_PORT";

// The command's side, run by the test below in a process of its own: one request through the
// proxy that keeps both passwords permanently, then the process ends at once, as a one-shot
// command does.
TEST(OneShotCredentialTest, OneShotCommand) {
  const char* url = std::getenv(kServerURLVariable);
  const char* proxyPort = std::getenv(kProxyPortVariable);
  if (!url || !proxyPort) GTEST_SKIP() << "run by APasswordKeptByAOneShotCommandIsInTheFileWhenItEnds";
  auto request = HTTPRequest::requestWithURL(url);
  request->setUsername("ann");
  request->setPassword("secret");
  request->setProxy("127.0.0.1", std::atoi(proxyPort));
  request->setProxyUsername("pat");
  request->setProxyPassword("pass");
  request->setUseKeychainPersistence(true);
  request->startSynchronous();
  std::printf("answer: %s\n", request->responseString().value_or("").c_str());
  std::exit(0);
}

TEST(OneShotCredentialTest, APasswordKeptByAOneShotCommandIsInTheFileWhenItEnds) {
  testsupport::LoopbackServer server;
  server.route("GET", "/vault", [](const RecordedRequest& request) {
    return hasBasicCredentials(request, "ann", "secret") ? Reply::text("welcome") : Reply::basicChallenge("vault");
  });
  testsupport::LoopbackServer proxy({.proxy = true, .proxyCredentials = "pat:pass"});
  test::TemporaryDirectory home;
  // The command runs its one test whatever shards or reports this run was asked for.
  apptest::ChildProcess command(
      {"/usr/bin/env", "-u", "GTEST_TOTAL_SHARDS", "-u", "GTEST_SHARD_INDEX", "-u", "GTEST_SHARD_STATUS_FILE", "-u",
       "GTEST_OUTPUT", "ZUNORADIO_HOME=" + home.path().string(),
       // No session bus, so no keyring: the passwords go to the file.
       "DBUS_SESSION_BUS_ADDRESS=unix:path=" + home.file("no-bus"),
       std::string(kServerURLVariable) + "=" + server.url("/vault"),
       std::string(kProxyPortVariable) + "=" + std::to_string(proxy.port()),
       std::filesystem::read_symlink("/proc/self/exe").string(), "--gtest_filter=OneShotCredentialTest.OneShotCommand"},
      true);
  ASSERT_TRUE(command.readToEnd());
  EXPECT_EQ(command.finish().first, 0) << command.output();
  EXPECT_NE(command.output().find("answer: welcome"), std::string::npos) << command.output();

  net::CredentialStorage file(home.file("Library/Preferences/Credentials/credentials.plist"));
  auto serverPassword = file.defaultCredential({"127.0.0.1", server.port(), "http", "vault", ""});
  auto proxyPassword = file.defaultCredential({"127.0.0.1", proxy.port(), "", "proxy", "HTTP"});
  EXPECT_EQ(serverPassword ? serverPassword->password : "none", "secret") << command.output();
  EXPECT_EQ(proxyPassword ? proxyPassword->password : "none", "pass") << command.output();
}

}  // namespace
}  // namespace http::oneshot
