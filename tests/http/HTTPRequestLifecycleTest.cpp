#include <gtest/gtest.h>

#include <optional>

#include "platform/foundation/OperationQueue.h"
#include "src/http/HeaderDictionary.h"
#include "tests/http/EngineTestSupport.h"

namespace http::test {
namespace {

using testsupport::Reply;

TEST_F(EngineTest, GetDeliversStatusHeadersAndBodyOnTheMainThreadInOrder) {
  server.route("GET", "/hello", Reply::text("hello world").header("X-Extra", "1"));
  auto request = makeRequest(server.url("/hello"));
  runToEnd(request);

  EXPECT_EQ(delegate->events, (std::vector<std::string>{"started", "headers", "finished"}));
  EXPECT_EQ(delegate->offMainThreadCalls, 0);
  EXPECT_EQ(request->responseStatusCode(), 200);
  EXPECT_EQ(request->responseStatusMessage(), "HTTP/1.1 200 OK");
  EXPECT_EQ(request->responseString(), "hello world");
  EXPECT_EQ(headerValue(request->responseHeaders(), "x-extra"), "1");
  EXPECT_EQ(request->contentLength(), 11u);
  EXPECT_EQ(request->error(), nullptr);
  EXPECT_TRUE(request->complete());
  EXPECT_EQ(request->originalURL(), server.url("/hello"));
  auto sent = server.requests().at(0);
  EXPECT_EQ(sent.header("Accept-Encoding"), "gzip");
}

TEST_F(EngineTest, ServerErrorStatusFinishesNormally) {
  server.route("GET", "/missing", Reply::text("nope", 404));
  auto request = makeRequest(server.url("/missing"));
  runToEnd(request);
  EXPECT_EQ(delegate->count("finished"), 1);
  EXPECT_EQ(request->responseStatusCode(), 404);
  EXPECT_EQ(request->responseString(), "nope");
}

TEST_F(EngineTest, BlocksRunAfterTheDelegateOnTheMainThread) {
  server.route("GET", "/b", Reply::text("b"));
  auto request = makeRequest(server.url("/b"));
  std::vector<std::string> order;
  request->setStartedBlock([&] { order.push_back("started block"); });
  request->setHeadersReceivedBlock([&](const foundation::Dictionary&) { order.push_back("headers block"); });
  request->setCompletionBlock(
      [&] { order.push_back(foundation::RunLoop::isMainThread() ? "completion block" : "off main"); });
  runToEnd(request);
  EXPECT_EQ(order, (std::vector<std::string>{"started block", "headers block", "completion block"}));
}

TEST_F(EngineTest, BlocksOfARequestReleasedOnTheNetworkThreadAreLetGoOnTheMainThread) {
  // Notes on which thread the last block holding it let it go.
  struct ReleaseProbe {
    std::shared_ptr<std::optional<bool>> releasedOnMain = std::make_shared<std::optional<bool>>();
    ~ReleaseProbe() { *releasedOnMain = foundation::RunLoop::isMainThread(); }
  };
  auto probe = std::make_shared<ReleaseProbe>();
  auto releasedOnMain = probe->releasedOnMain;
  auto request = HTTPRequest::requestWithURL(server.url("/never-started"));
  request->setCompletionBlock([probe] {});
  probe.reset();

  HTTPRequest::networkLoop().post([request = std::move(request)]() mutable { request.reset(); });

  ASSERT_TRUE(runUntil([&] { return releasedOnMain->has_value(); }));
  EXPECT_TRUE(**releasedOnMain);
}

TEST_F(EngineTest, BodyWithoutLengthEndsWithTheBytesRead) {
  Reply reply = Reply::text(std::string(5000, 'x'));
  reply.framing = testsupport::BodyFraming::kChunked;
  reply.chunkSize = 700;
  server.route("GET", "/chunked", reply);
  auto request = makeRequest(server.url("/chunked"));
  runToEnd(request);
  EXPECT_EQ(request->contentLength(), 5000u);
  EXPECT_EQ(request->rawResponseData().size(), 5000u);
}

TEST_F(EngineTest, TextIsDecodedInTheNamedCharsetElseLatin1) {
  std::string utf8 = "caf\xc3\xa9";
  auto typed = [](std::string body, std::string contentType) {
    Reply reply;
    reply.body = std::move(body);
    return reply.header("Content-Type", std::move(contentType));
  };
  server.route("GET", "/utf8", typed(utf8, "text/html; charset=UTF-8"));
  server.route("GET", "/latin", typed("caf\xe9", "text/plain"));
  auto first = makeRequest(server.url("/utf8"));
  runToEnd(first);
  EXPECT_EQ(first->responseString(), utf8);

  delegate = std::make_shared<RecordingDelegate>();
  auto second = makeRequest(server.url("/latin"));
  runToEnd(second);
  EXPECT_EQ(second->responseEncoding(), "ISO-8859-1");
  EXPECT_EQ(second->responseString(), utf8);
}

TEST_F(EngineTest, CookiesFromAResponseAreSentBackOnlyWithPersistence) {
  server.route("GET", "/set", Reply::text("set").header("Set-Cookie", "session=abc; Path=/"));
  server.route("GET", "/next", Reply::text("next"));
  auto setter = makeRequest(server.url("/set"));
  runToEnd(setter);
  ASSERT_EQ(setter->responseCookies().size(), 1u);

  delegate = std::make_shared<RecordingDelegate>();
  auto withCookies = makeRequest(server.url("/next"));
  runToEnd(withCookies);
  delegate = std::make_shared<RecordingDelegate>();
  auto without = makeRequest(server.url("/next"));
  without->setUseCookiePersistence(false);
  runToEnd(without);

  auto sent = server.requests();
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[1].header("Cookie"), "session=abc");
  EXPECT_EQ(sent[2].header("Cookie"), std::nullopt);
}

TEST_F(EngineTest, FifthRequestWaitsForAFreeSlotInTheSharedQueue) {
  for (int i = 0; i < 5; ++i) {
    Reply held = Reply::text("done");
    held.holdUntilReleased = "gate";
    server.route("GET", "/slot" + std::to_string(i), held);
  }
  std::vector<std::shared_ptr<RecordingDelegate>> delegates;
  std::vector<std::shared_ptr<HTTPRequest>> requests;
  for (int i = 0; i < 5; ++i) {
    delegates.push_back(std::make_shared<RecordingDelegate>());
    auto request = HTTPRequest::requestWithURL(server.url("/slot" + std::to_string(i)));
    request->setDelegate(delegates.back());
    request->setShouldAttemptPersistentConnection(false);
    wakeMainLoopWhenFinished(*request);
    requests.push_back(request);
    request->startAsynchronous();
  }
  ASSERT_TRUE(server.waitForRequests(4));
  EXPECT_EQ(server.requestCount(), 4u);
  server.release("gate");
  ASSERT_TRUE(runUntil([&] {
    for (auto& d : delegates) {
      if (!d->ended()) return false;
    }
    return true;
  }));
  EXPECT_EQ(server.requestCount(), 5u);
  EXPECT_EQ(server.maxConcurrentRequests(), 4);
}

TEST_F(EngineTest, ARequestCancelledBeforeItStartsFinishesWithoutConnecting) {
  server.route("GET", "/never", Reply::text("x"));
  auto request = makeRequest(server.url("/never"));
  request->cancel();
  ASSERT_TRUE(runUntil([&] { return delegate->ended(); }));
  EXPECT_TRUE(request->isCancelled());
  EXPECT_FALSE(request->isFinished());
  request->startAsynchronous();
  ASSERT_TRUE(runUntil([&] { return request->isFinished(); }));
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"failed"}));
  EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(EngineTest, HeadRequestTellsNobodyAndGivesItsLengthToTheMainRequest) {
  server.route("HEAD", "/file", [](const testsupport::RecordedRequest&) {
    Reply reply;
    reply.noBody = true;
    reply.header("Content-Length", "1234");
    return reply;
  });
  auto main = makeRequest(server.url("/file"));
  auto progress = std::make_shared<RecordingProgress>();
  main->setDownloadProgressDelegate(progress);
  main->addRequestHeader("X-Token", "t");
  auto head = main->HEADRequest();
  wakeMainLoopWhenFinished(*head);
  head->startAsynchronous();
  ASSERT_TRUE(runUntil([&] { return head->isFinished(); }));
  foundation::RunLoop::main().pumpOnce();
  EXPECT_TRUE(delegate->events.empty());
  EXPECT_EQ(main->contentLength(), 1234u);
  EXPECT_EQ(progress->downloadSize, 1234);
  EXPECT_EQ(server.requests().at(0).header("X-Token"), "t");
  EXPECT_EQ(server.requests().at(0).method, "HEAD");
}

TEST_F(EngineTest, AHeaderWithALineBreakIsRefusedNotInjected) {
  server.route("GET", "/inject", Reply::text("x"));
  auto request = makeRequest(server.url("/inject"));
  request->addRequestHeader("X-Evil", "a\r\nInjected: yes");
  runToEnd(request);
  EXPECT_TRUE(isRequestError(request->error(), HTTPRequestErrorCode::unableToCreateRequest));
  EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(EngineTest, MissingURLFailsAsABadRequest) {
  auto request = makeRequest("");
  runToEnd(request);
  ASSERT_NE(delegate->failure, nullptr);
  EXPECT_EQ(delegate->failure->description(), "Unable to create request (bad url?)");
}

}  // namespace
}  // namespace http::test
