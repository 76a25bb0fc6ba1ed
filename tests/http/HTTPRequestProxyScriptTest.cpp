#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/OperationQueue.h"
#include "tests/http/EngineTestSupport.h"

namespace http::test {
namespace {

using testsupport::Reply;

class ProxyScriptTest : public EngineTest {
 protected:
  // A request for the origin's /page whose proxy is chosen by `PACurl`.
  std::shared_ptr<HTTPRequest> viaScript(const std::string& PACurl) {
    origin.route("GET", "/page", Reply::text("page"));
    auto request = makeRequest(origin.url("/page"));
    request->setPACurl(PACurl);
    return request;
  }
  std::string writeScript(const std::string& body) {
    std::string path = foundation::Paths::temporaryDirectory() + "/proxy.pac";
    EXPECT_TRUE(foundation::FileManager::writeAtomically(path, body));
    return "file://" + path;
  }
  std::string answering(const std::string& answer) {
    return "function FindProxyForURL(url, host) { return \"" + answer + "\"; }";
  }
  std::string proxyEntry() { return "PROXY 127.0.0.1:" + std::to_string(proxy.port()); }

  testsupport::LoopbackServer origin;
  testsupport::LoopbackServer proxy{{.proxy = true, .proxyCredentials = ""}};
};

TEST_F(ProxyScriptTest, LocalScriptSendsTheRequestThroughItsFirstProxy) {
  auto request = viaScript(writeScript(answering(proxyEntry() + "; SOCKS 127.0.0.1:1; DIRECT")));
  runToEnd(request);
  EXPECT_EQ(request->responseString(), "page");
  EXPECT_EQ(proxy.requestCount(), 1u);
  EXPECT_EQ(request->proxyType(), "HTTP");
}

TEST_F(ProxyScriptTest, FetchedScriptIsRunOnlyFromASuccessfulReply) {
  int widthBefore = HTTPRequest::sharedQueue().maxConcurrentOperationCount();
  server.route("GET", "/proxy.pac", Reply::text(answering(proxyEntry())));
  auto request = viaScript(server.url("/proxy.pac"));
  runToEnd(request);
  EXPECT_EQ(request->responseString(), "page");
  EXPECT_EQ(proxy.requestCount(), 1u);
  EXPECT_EQ(HTTPRequest::sharedQueue().maxConcurrentOperationCount(), widthBefore);

  delegate = std::make_shared<RecordingDelegate>();
  server.route("GET", "/missing.pac", Reply::text(answering(proxyEntry()), 404));
  auto direct = viaScript(server.url("/missing.pac"));
  runToEnd(direct);
  EXPECT_EQ(direct->responseString(), "page");
  EXPECT_EQ(proxy.requestCount(), 1u) << "a 404 page is not a script";
}

TEST_F(ProxyScriptTest, BrokenOversizedOrUnfetchableScriptsSendTheRequestDirectly) {
  const std::string scripts[] = {
      writeScript("function FindProxyForURL(url, host) { throw new Error('no'); }"),
      writeScript(answering(proxyEntry()) + std::string(1024 * 1024, ' ')),
      "ftp://127.0.0.1/proxy.pac",
  };
  for (const auto& PACurl : scripts) {
    delegate = std::make_shared<RecordingDelegate>();
    auto request = viaScript(PACurl);
    runToEnd(request);
    EXPECT_EQ(request->responseString(), "page") << PACurl.substr(0, 40);
  }
  EXPECT_EQ(proxy.requestCount(), 0u);
}

TEST_F(ProxyScriptTest, AScriptFileThatNeverEndsIsWaitedForOnlyTheRequestsTimeOut) {
  auto clock = std::make_shared<foundation::ManualClock>();
  foundation::Clock::setCurrent(clock);
  const std::string path = foundation::Paths::temporaryDirectory() + "/endless.pac";
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  const int writer = ::open(path.c_str(), O_RDWR);  // keeps the FIFO open without ever writing
  auto request = viaScript("file://" + path);
  request->setTimeOutSeconds(10);
  request->startAsynchronous();
  // The wait begins on the network thread some time after the start: move the clock past the
  // time-out until the request has given up waiting and started.
  for (int round = 0; round < 5 && delegate->count("started") == 0; ++round) {
    clock->advance(foundation::Duration(10.5));
    bool back = false;
    HTTPRequest::networkLoop().post([&back] { foundation::performOnMainThread([&back] { back = true; }); });
    ASSERT_TRUE(runUntil([&] { return back; }));
  }
  ASSERT_TRUE(runUntil([&] { return delegate->ended() && request->isFinished(); }));
  EXPECT_EQ(request->responseString(), "page");
  EXPECT_EQ(proxy.requestCount(), 0u);
  ::close(writer);  // the reading thread now sees the end and goes
  foundation::Clock::useRealClock();
}

}  // namespace
}  // namespace http::test
