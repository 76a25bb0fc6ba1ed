#include <gtest/gtest.h>

#include "platform/foundation/Operation.h"
#include "src/http/NetworkQueue.h"
#include "tests/http/EngineTestSupport.h"

namespace http::test {
namespace {

using testsupport::Reply;

Reply held(const std::string& name, std::string body = "done") {
  Reply reply = Reply::text(std::move(body));
  reply.holdUntilReleased = name;
  return reply;
}

class NetworkQueueTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    queue = NetworkQueue::queue();
    queue->setDelegate(queueDelegate);
    queue->setRequestDidStartSelector([this](HTTPRequest&) { events.push_back("start"); });
    queue->setRequestDidFinishSelector([this](HTTPRequest&) { events.push_back("finish"); });
    queue->setRequestDidFailSelector([this](HTTPRequest& request) {
      events.push_back("fail");
      failures.push_back(request.error());
    });
    queue->setQueueDidFinishSelector([this](NetworkQueue&) { events.push_back("queue finished"); });
  }
  void TearDown() override {
    server.release("all");
    foundation::Clock::useRealClock();
    EngineTest::TearDown();
  }

  std::shared_ptr<HTTPRequest> add(const std::string& path) {
    auto request = HTTPRequest::requestWithURL(server.url(path));
    EXPECT_TRUE(queue->addOperation(request));
    return request;
  }
  int count(const std::string& event) const {
    return static_cast<int>(std::count(events.begin(), events.end(), event));
  }
  bool queueFinished() const { return count("queue finished") > 0; }

  std::shared_ptr<NetworkQueue> queue;
  std::shared_ptr<RecordingDelegate> queueDelegate = std::make_shared<RecordingDelegate>();
  std::vector<std::string> events;
  std::vector<foundation::ErrorPtr> failures;
};

TEST_F(NetworkQueueTest, QueueFinishesOnceAfterTheLastRequest) {
  server.route("GET", "/a", Reply::text("a"));
  server.route("GET", "/b", Reply::text("b"));
  add("/a");
  add("/b");
  EXPECT_EQ(queue->requestsCount(), 2);
  queue->go();
  ASSERT_TRUE(runUntil([&] { return queueFinished(); }));
  EXPECT_EQ(count("finish"), 2);
  EXPECT_EQ(count("queue finished"), 1);
  EXPECT_EQ(events.back(), "queue finished");
  EXPECT_EQ(queue->requestsCount(), 0);
}

TEST_F(NetworkQueueTest, AFailureCancelsTheRest) {
  Reply broken;
  broken.fault = testsupport::Fault::kCloseWithoutReply;
  server.route("GET", "/broken", broken);
  server.route("GET", "/slow", held("all"));
  add("/slow");
  add("/slow");
  queue->go();
  ASSERT_TRUE(server.waitForRequests(2));
  add("/broken");
  ASSERT_TRUE(runUntil([&] { return queueFinished(); }));
  EXPECT_EQ(count("fail"), 3);
  EXPECT_EQ(count("finish"), 0);
  EXPECT_EQ(count("queue finished"), 1);
  EXPECT_EQ(events.back(), "queue finished");
  ASSERT_EQ(failures.size(), 3u);
  EXPECT_TRUE(isRequestError(failures[0], HTTPRequestErrorCode::connectionFailure));
  EXPECT_TRUE(isRequestError(failures[1], HTTPRequestErrorCode::cancelled));
  EXPECT_TRUE(isRequestError(failures[2], HTTPRequestErrorCode::cancelled));
}

TEST_F(NetworkQueueTest, WithoutTheFailureRuleTheOthersRunOn) {
  Reply broken;
  broken.fault = testsupport::Fault::kCloseWithoutReply;
  server.route("GET", "/broken", broken);
  server.route("GET", "/slow", held("all"));
  queue->setShouldCancelAllRequestsOnFailure(false);
  add("/slow");
  add("/broken");
  queue->go();
  ASSERT_TRUE(runUntil([&] { return count("fail") == 1; }));
  server.release("all");
  ASSERT_TRUE(runUntil([&] { return queueFinished(); }));
  EXPECT_EQ(count("finish"), 1);
  EXPECT_EQ(count("fail"), 1);
}

TEST_F(NetworkQueueTest, WidthIsMeasuredAtTheServer) {
  EXPECT_EQ(queue->maxConcurrentOperationCount(), NetworkQueue::kDefaultWidth);
  for (int width : {2, 4}) {
    testsupport::LoopbackServer counting;
    std::string name = "wide" + std::to_string(width);
    counting.route("GET", "/song", held(name));
    queue = NetworkQueue::queue();
    queue->setMaxConcurrentOperationCount(width);
    for (int i = 0; i < 6; ++i) ASSERT_TRUE(queue->addOperation(HTTPRequest::requestWithURL(counting.url("/song"))));
    queue->go();
    ASSERT_TRUE(counting.waitFor([&] { return counting.heldCount(name) == width; }));
    counting.release(name);
    ASSERT_TRUE(runUntil([&] { return queue->requestsCount() == 0; }));
    EXPECT_EQ(counting.requestCount("/song"), 6u);
    EXPECT_EQ(counting.maxConcurrentRequests(), width) << "width " << width;
  }
}

TEST_F(NetworkQueueTest, ProgressCountsRequestsWhenNotAccurate) {
  server.route("GET", "/unit", Reply::text("some bytes"));
  auto progress = std::make_shared<RecordingProgress>();
  queue->setDownloadProgressDelegate(progress);
  for (int i = 0; i < 4; ++i) add("/unit");
  queue->go();
  ASSERT_TRUE(runUntil([&] { return queueFinished(); }));
  EXPECT_EQ(progress->fractions, (std::vector<float>{0.0f, 0.25f, 0.5f, 0.75f, 1.0f}));
  EXPECT_EQ(queue->totalBytesToDownload(), 4u);
  EXPECT_EQ(queue->totalBytesToUpload(), 4u);
  EXPECT_EQ(queue->bytesUploadedSoFar(), 0u);  // body-less requests never send their unit
}

TEST_F(NetworkQueueTest, AccurateProgressAsksForTheSizeFirstWhileSuspended) {
  std::string body(5000, 'x');
  server.route("*", "/song", Reply::text(body));
  auto progress = std::make_shared<RecordingProgress>();
  queue->setShowAccurateProgress(true);
  queue->setDownloadProgressDelegate(progress);
  auto request = add("/song");
  EXPECT_FALSE(request->shouldResetDownloadProgress());
  queue->go();
  ASSERT_TRUE(runUntil([&] { return queueFinished(); }));
  auto received = server.requests();
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0].method, "HEAD");
  EXPECT_EQ(received[1].method, "GET");
  EXPECT_EQ(queue->totalBytesToDownload(), body.size());
  EXPECT_EQ(queue->bytesDownloadedSoFar(), body.size());
  EXPECT_FLOAT_EQ(progress->fractions.back(), 1.0f);

  // Once running, the queue asks for no size.
  queue = NetworkQueue::queue();
  queue->setShowAccurateProgress(true);
  queue->go();
  ASSERT_TRUE(queue->addOperation(HTTPRequest::requestWithURL(server.url("/song"))));
  ASSERT_TRUE(runUntil([&] { return queue->requestsCount() == 0; }));
  EXPECT_EQ(server.requests().back().method, "GET");
  EXPECT_EQ(server.requestCount("/song"), 3u);
  EXPECT_EQ(queue->totalBytesToDownload(), body.size());
}

TEST_F(NetworkQueueTest, ACancelledRequestAndItsSizeRequestCountOnce) {
  server.route("*", "/song", Reply::text("x"));
  queue->setShowAccurateProgress(true);
  auto request = add("/song");
  ASSERT_EQ(request->dependencies().size(), 1u);
  auto head = std::dynamic_pointer_cast<HTTPRequest>(request->dependencies().front());
  wakeMainLoopWhenFinished(*request);
  wakeMainLoopWhenFinished(*head);
  request->cancel();  // fails by itself first ...
  head->cancel();     // ... so the size request's failure must not be reported on it again
  queue->go();
  ASSERT_TRUE(runUntil([&] { return request->isFinished() && head->isFinished(); }));
  foundation::RunLoop::main().pumpOnce();
  EXPECT_EQ(count("fail"), 1);
  EXPECT_EQ(count("queue finished"), 1);
  EXPECT_EQ(queue->requestsCount(), 0);
  EXPECT_EQ(server.requestCount("/song"), 0u);
}

TEST_F(NetworkQueueTest, CancellingZeroesTheCountsFirst) {
  server.route("GET", "/slow", held("all"));
  add("/slow");
  add("/slow");
  queue->setBytesDownloadedSoFar(7);
  queue->setTotalBytesToUpload(9);
  queue->go();
  ASSERT_TRUE(server.waitForRequests(2));
  queue->cancelAllOperations();
  EXPECT_EQ(queue->bytesDownloadedSoFar(), 0u);
  EXPECT_EQ(queue->totalBytesToDownload(), 0u);
  EXPECT_EQ(queue->bytesUploadedSoFar(), 0u);
  EXPECT_EQ(queue->totalBytesToUpload(), 0u);
  ASSERT_TRUE(runUntil([&] { return queueFinished(); }));
  EXPECT_EQ(count("fail"), 2);
  EXPECT_EQ(count("queue finished"), 1);
}

TEST_F(NetworkQueueTest, ProgressIsNeverNotANumber) {
  auto progress = std::make_shared<RecordingProgress>();
  queue->setDownloadProgressDelegate(progress);
  auto request = HTTPRequest::requestWithURL(server.url("/x"));
  queue->requestDidReceiveBytes(*request, 10);  // nothing to measure against
  queue->requestIncrementDownloadSizeBy(*request, 4);
  queue->requestDidReceiveBytes(*request, 0);    // more done than announced
  queue->requestDidReceiveBytes(*request, -50);  // more taken back than counted
  EXPECT_EQ(progress->fractions, (std::vector<float>{0.0f, 1.0f, 0.0f}));
  EXPECT_EQ(queue->bytesDownloadedSoFar(), 0u);
}

TEST_F(NetworkQueueTest, ARestartedDownloadIsNotCountedTwice) {
  std::string body(20000, 'y');
  Reply stalling = Reply::text(body);
  stalling.stallAfterBytes = 3000;  // the head and part of the body, then silence
  server.route("GET", "/song", std::vector<Reply>{stalling, Reply::text(body)});
  auto clock = std::make_shared<foundation::ManualClock>();
  foundation::Clock::setCurrent(clock);
  auto progress = std::make_shared<RecordingProgress>();
  queue->setShowAccurateProgress(true);
  queue->go();
  queue->setDownloadProgressDelegate(progress);
  auto watcher = std::make_shared<RecordingDelegate>();
  watcher->takesData = true;  // each chunk wakes the main loop
  auto request = HTTPRequest::requestWithURL(server.url("/song"));
  request->setDelegate(watcher);
  request->setNumberOfTimesToRetryOnTimeout(1);
  ASSERT_TRUE(queue->addOperation(request));
  ASSERT_TRUE(runUntil([&] { return !watcher->received.empty(); }));
  clock->advance(foundation::Duration(0.25));  // a status check reports the first bytes
  ASSERT_TRUE(runUntil([&] { return queue->bytesDownloadedSoFar() > 0; }));
  EXPECT_EQ(queue->totalBytesToDownload(), body.size());
  clock->advance(foundation::Duration(request->timeOutSeconds() + 1));  // times out and starts again
  ASSERT_TRUE(runUntil([&] { return queueFinished(); }));
  EXPECT_EQ(request->retryCount(), 1);
  EXPECT_EQ(queue->totalBytesToDownload(), body.size());
  EXPECT_EQ(queue->bytesDownloadedSoFar(), body.size());
  EXPECT_FLOAT_EQ(progress->fractions.back(), 1.0f);
}

TEST_F(NetworkQueueTest, OnlyRequestsCanBeAdded) {
  class Plain : public foundation::Operation {};
  EXPECT_FALSE(queue->addOperation(std::make_shared<Plain>()));
  EXPECT_EQ(queue->requestsCount(), 0);
  EXPECT_EQ(queue->operationCount(), 0u);
}

TEST_F(NetworkQueueTest, ResetForgetsTheDelegateButTheRedirectCallback) {
  std::vector<std::string> redirects;
  queue->setRequestWillRedirectSelector([&](HTTPRequest&, const std::string& url) { redirects.push_back(url); });
  auto progress = std::make_shared<RecordingProgress>();
  queue->setUploadProgressDelegate(progress);
  EXPECT_TRUE(queue->respondsTo(HTTPRequestDelegate::Optional::willRedirect));
  queue->go();
  queue->reset();
  EXPECT_TRUE(queue->isSuspended());
  EXPECT_FALSE(queue->delegate());
  EXPECT_FALSE(queue->uploadProgressDelegate());
  EXPECT_FALSE(queue->respondsTo(HTTPRequestDelegate::Optional::willRedirect));  // no delegate to ask
  queue->setDelegate(queueDelegate);
  EXPECT_TRUE(queue->respondsTo(HTTPRequestDelegate::Optional::willRedirect));
}

TEST_F(NetworkQueueTest, ACopyHasTheSettingsButNoRequests) {
  server.route("GET", "/slow", held("all"));
  queue->setShowAccurateProgress(true);
  queue->setShouldCancelAllRequestsOnFailure(false);
  queue->setUserInfo(foundation::Dictionary{{"k", "v"}});
  queue->setMaxConcurrentOperationCount(2);
  auto request = add("/slow");
  wakeMainLoopWhenFinished(*request);
  auto copied = queue->copy();
  EXPECT_TRUE(copied->isSuspended());
  EXPECT_EQ(copied->maxConcurrentOperationCount(), 4);
  EXPECT_TRUE(copied->showAccurateProgress());
  EXPECT_FALSE(copied->shouldCancelAllRequestsOnFailure());
  EXPECT_EQ(copied->userInfo(), queue->userInfo());
  EXPECT_EQ(copied->delegate(), queueDelegate);
  EXPECT_EQ(copied->requestsCount(), 0);
  EXPECT_EQ(copied->operationCount(), 0u);
  queue->reset();
  queue->go();  // cancelled requests finish once their queue runs
  ASSERT_TRUE(runUntil([&] { return queue->requestsCount() == 0 && request->isFinished(); }));
}

}  // namespace
}  // namespace http::test
