#include <gtest/gtest.h>

#include <future>

#include "tests/http/EngineTestSupport.h"

namespace http::test {
namespace {

using testsupport::Reply;

// Counts every queue call it gets.
class CountingQueue : public HTTPRequestQueueDelegate {
 public:
  void requestStarted(HTTPRequest&) override { ++calls; }
  void requestDidReceiveResponseHeaders(HTTPRequest&, const foundation::Dictionary&) override { ++calls; }
  void requestFinished(HTTPRequest&) override { ++calls; }
  void requestFailed(HTTPRequest&) override { ++calls; }
  void requestDidReceiveBytes(HTTPRequest&, std::int64_t) override { ++calls; }
  int calls = 0;
};

// A request whose failure step a test can call on the thread of its choice.
class FailableRequest : public HTTPRequest {
 public:
  explicit FailableRequest(std::string url) : HTTPRequest(std::move(url)) {}
  void failNow() { fail(makeRequestError(HTTPRequestErrorCode::internal, "made to fail")); }
};

void pumpMainLoop() {
  for (int round = 0; round < 5; ++round) foundation::RunLoop::main().pumpOnce();
}

TEST_F(EngineTest, ListenersSetWhileTheRequestRunsHearWhatIsDeliveredAfterwards) {
  server.route("GET", "/body", Reply::text(std::string(4000, 'b')));
  auto request = HTTPRequest::requestWithURL(server.url("/body"));
  std::promise<void> finished;
  request->setCompletionHandler([&finished] { finished.set_value(); });
  request->startAsynchronous();
  // Nobody listened while the request ran; its deliveries wait for the main loop.
  finished.get_future().wait();
  auto progress = std::make_shared<RecordingProgress>();
  int completions = 0;
  request->setDelegate(delegate);
  request->setDownloadProgressDelegate(progress);
  request->setCompletionBlock([&completions] { ++completions; });
  // The deliveries on their way keep the request alive.
  std::weak_ptr<HTTPRequest> alive = request;
  request.reset();
  EXPECT_FALSE(alive.expired());
  pumpMainLoop();
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"started", "headers", "finished"}));
  EXPECT_EQ(completions, 1);
  EXPECT_EQ(progress->received, 4000);
  ASSERT_FALSE(progress->fractions.empty());
  EXPECT_EQ(progress->fractions.back(), 1.0f);
}

TEST_F(EngineTest, AHeadRequestNeverCallsWhatIsSetOnItself) {
  server.route("HEAD", "/moved", Reply::redirect(302, "/file"));
  server.route("HEAD", "/file", [](const testsupport::RecordedRequest&) {
    Reply reply;
    reply.noBody = true;
    return reply.header("Content-Length", "10");
  });
  auto main = HTTPRequest::requestWithURL(server.url("/moved"));
  auto head = main->HEADRequest();
  auto queue = std::make_shared<CountingQueue>();
  int blockCalls = 0;
  head->setDelegate(delegate);
  head->setQueue(queue);
  head->setStartedBlock([&blockCalls] { ++blockCalls; });
  head->setHeadersReceivedBlock([&blockCalls](const foundation::Dictionary&) { ++blockCalls; });
  head->setRequestRedirectedBlock([&blockCalls] { ++blockCalls; });
  head->setCompletionBlock([&blockCalls] { ++blockCalls; });
  wakeMainLoopWhenFinished(*head);
  head->startAsynchronous();
  ASSERT_TRUE(runUntil([&] { return head->isFinished(); }));
  pumpMainLoop();
  EXPECT_EQ(server.requests().back().method, "HEAD");  // a redirect keeps the method
  EXPECT_EQ(main->contentLength(), 10u);
  EXPECT_TRUE(delegate->events.empty());
  EXPECT_EQ(queue->calls, 0);
  EXPECT_EQ(blockCalls, 0);
}

TEST_F(EngineTest, AFailureStepOnTheMainThreadCallsTheDelegateAtOnce) {
  auto request = std::make_shared<FailableRequest>(server.url("/never"));
  request->setDelegate(delegate);
  request->failNow();
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"failed"}));
  EXPECT_EQ(delegate->offMainThreadCalls, 0);
  // From another thread the step is only queued: the caller does not wait for the main loop.
  auto other = std::make_shared<FailableRequest>(server.url("/never"));
  auto otherDelegate = std::make_shared<RecordingDelegate>();
  other->setDelegate(otherDelegate);
  std::async(std::launch::async, [&other] { other->failNow(); }).get();
  EXPECT_TRUE(otherDelegate->events.empty());
  pumpMainLoop();
  EXPECT_EQ(otherDelegate->events, (std::vector<std::string>{"failed"}));
  EXPECT_EQ(otherDelegate->offMainThreadCalls, 0);
}

TEST_F(EngineTest, ALaterFailureIsNotReportedAgainAndTheFirstErrorStays) {
  auto request = std::make_shared<FailableRequest>(server.url("/never"));
  request->setDelegate(delegate);
  request->failNow();
  auto first = request->error();
  request->cancel();
  request->failNow();
  bool back = false;
  HTTPRequest::networkLoop().post([&back] { foundation::performOnMainThread([&back] { back = true; }); });
  ASSERT_TRUE(runUntil([&] { return back; }));
  EXPECT_EQ(delegate->count("failed"), 1);
  EXPECT_EQ(request->error(), first);
  EXPECT_TRUE(isRequestError(request->error(), HTTPRequestErrorCode::internal));
}

}  // namespace
}  // namespace http::test
