#include <gtest/gtest.h>

#include <filesystem>

#include "src/http/FormDataRequest.h"
#include "src/http/NetworkActivityIndicator.h"
#include "tests/http/EngineTestSupport.h"

namespace http::test {
namespace {

using testsupport::RangeMode;
using testsupport::RecordedRequest;
using testsupport::Reply;

// Time-outs with a clock that moves only when the test says so.
class TimeOutTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    clock = std::make_shared<foundation::ManualClock>();
    foundation::Clock::setCurrent(clock);
  }
  void TearDown() override {
    foundation::Clock::useRealClock();
    EngineTest::TearDown();
  }

  // Lets the network thread handle what the clock made due: a few round trips through its loop.
  void settleNetworkThread() {
    for (int round = 0; round < 3; ++round) {
      bool back = false;
      HTTPRequest::networkLoop().post([&back] { foundation::performOnMainThread([&back] { back = true; }); });
      ASSERT_TRUE(runUntil([&] { return back; }));
    }
  }
  void advance(double seconds) {
    clock->advance(foundation::Duration(seconds));
    settleNetworkThread();
  }
  // A reply that does not come within any test (the server's delays run on real time).
  static Reply held() {
    Reply reply = Reply::text("late");
    reply.delay = std::chrono::hours(1);
    return reply;
  }

  std::shared_ptr<foundation::ManualClock> clock;
};

TEST_F(TimeOutTest, ASilentServerTimesOutJustAfterTheLimit) {
  server.route("GET", "/silent", held());
  auto request = makeRequest(server.url("/silent"));
  request->startAsynchronous();
  ASSERT_TRUE(server.waitForRequests(1));
  advance(10.0);
  EXPECT_FALSE(delegate->ended());
  advance(0.3);
  ASSERT_TRUE(runUntil([&] { return delegate->ended() && request->isFinished(); }));
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"started", "failed"}));
  ASSERT_NE(delegate->failure, nullptr);
  EXPECT_TRUE(isRequestError(delegate->failure, HTTPRequestErrorCode::timedOut));
  EXPECT_EQ(delegate->failure->description(), "The request timed out");
}

TEST_F(TimeOutTest, AStallInTheMiddleOfTheBodyTimesOut) {
  Reply stalling = Reply::text(std::string(100000, 'b'));
  stalling.stallAfterBytes = 30000;  // then silence until the client closes
  server.route("GET", "/stall", stalling);
  delegate->takesData = true;
  auto request = makeRequest(server.url("/stall"));
  request->startAsynchronous();
  ASSERT_TRUE(runUntil([&] { return delegate->received.size() >= 20000; }));
  advance(11);
  ASSERT_TRUE(runUntil([&] { return delegate->ended(); }));
  EXPECT_TRUE(isRequestError(delegate->failure, HTTPRequestErrorCode::timedOut));
  EXPECT_EQ(delegate->count("failed"), 1);
}

TEST_F(TimeOutTest, AZeroTimeOutNeverTimesOut) {
  Reply gated = Reply::text("late");
  gated.holdUntilReleased = "gate";
  server.route("GET", "/silent", gated);
  auto request = makeRequest(server.url("/silent"));
  request->setTimeOutSeconds(0);
  request->startAsynchronous();
  ASSERT_TRUE(server.waitForRequests(1));
  advance(1000);
  EXPECT_FALSE(delegate->ended());
  server.release("gate");
  ASSERT_TRUE(runUntil([&] { return delegate->ended(); }));
  EXPECT_EQ(delegate->count("finished"), 1);
}

TEST_F(TimeOutTest, AnUploadWhoseFirstBufferIsUnconfirmedGetsHalfAsLongAgain) {
  server.route("POST", "/upload", held());
  auto uploaded = std::make_shared<RecordingProgress>();
  auto request = makeRequest(server.url("/upload"));
  request->appendPostData(bytesOf("a small body"));
  request->setUploadProgressDelegate(uploaded);
  request->startAsynchronous();
  ASSERT_TRUE(server.waitForRequests(1));
  // A status check that sees the body go out counts it as activity.
  for (int step = 0; step < 50 && uploaded->sent == 0; ++step) advance(0.1);
  ASSERT_GT(uploaded->sent, 0);
  advance(11);
  EXPECT_FALSE(delegate->ended());
  advance(5);
  ASSERT_TRUE(runUntil([&] { return delegate->ended(); }));
  EXPECT_TRUE(isRequestError(delegate->failure, HTTPRequestErrorCode::timedOut));
}

TEST_F(TimeOutTest, RestartsAfterTimeOutsUseNewConnectionsUntilTheyRunOut) {
  server.route("GET", "/silent", held());
  auto request = makeRequest(server.url("/silent"));
  request->setNumberOfTimesToRetryOnTimeout(1);
  request->startAsynchronous();
  ASSERT_TRUE(server.waitForRequests(1));
  advance(11);
  ASSERT_TRUE(server.waitForRequests(2));
  EXPECT_EQ(request->retryCount(), 1);
  EXPECT_FALSE(delegate->ended());
  advance(11);
  ASSERT_TRUE(runUntil([&] { return delegate->ended(); }));
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"started", "started", "failed"}));
  EXPECT_TRUE(isRequestError(delegate->failure, HTTPRequestErrorCode::timedOut));
  EXPECT_EQ(server.acceptedConnections(), 2);  // the timed-out connection is never taken again
}

TEST_F(TimeOutTest, ARestartedDownloadContinuesFromThePartialFile) {
  TemporaryDirectory directory;
  std::string content(200000, '\0');
  auto bytes = noise(content.size());
  content.assign(bytes.begin(), bytes.end());
  server.route("GET", "/song", [&content](const RecordedRequest& received) {
    if (received.attempt > 1) return Reply::ranged(received, content, RangeMode::kHonour);
    Reply stalling = Reply::ranged(received, content, RangeMode::kHonour);
    stalling.stallAfterBytes = 120000;
    return stalling;
  });
  auto progress = std::make_shared<RecordingProgress>();
  auto request = makeRequest(server.url("/song"));
  request->setDownloadDestinationPath(directory.file("song.mp3"));
  request->setTemporaryFileDownloadPath(directory.file("song.temp"));
  request->setAllowResumeForFileDownloads(true);
  request->setNumberOfTimesToRetryOnTimeout(30);
  request->setDownloadProgressDelegate(progress);
  request->setTimeOutSeconds(60);
  request->startAsynchronous();
  ASSERT_TRUE(server.waitForRequests(1));
  // Status checks report what arrived; step the clock (well within the time-out) until a good
  // part of the body is on disk.
  for (int step = 0; step < 500 && progress->received < 100000; ++step) advance(0.1);
  ASSERT_GE(progress->received, 100000);
  advance(61);
  ASSERT_TRUE(runUntil([&] { return delegate->ended() && request->isFinished(); }));
  EXPECT_EQ(delegate->count("finished"), 1);
  auto attempts = server.requests();
  ASSERT_EQ(attempts.size(), 2u);
  ASSERT_TRUE(attempts[1].header("Range").has_value());
  EXPECT_NE(*attempts[1].header("Range"), "bytes=0-");
  auto written = readFile(directory.file("song.mp3"));
  EXPECT_EQ(std::string(written.begin(), written.end()), content);
}

TEST_F(TimeOutTest, AKeptConnectionExpiresAfterItsIdleTime) {
  server.route("GET", "/k", Reply::text("k"));
  auto first = makeRequest(server.url("/k"));
  runToEnd(first);
  delegate = std::make_shared<RecordingDelegate>();
  auto second = makeRequest(server.url("/k"));
  runToEnd(second);
  EXPECT_EQ(server.acceptedConnections(), 1);
  advance(61);
  delegate = std::make_shared<RecordingDelegate>();
  auto third = makeRequest(server.url("/k"));
  runToEnd(third);
  EXPECT_EQ(server.acceptedConnections(), 2);
  EXPECT_NE(third->connectionID(), first->connectionID());
}

TEST_F(TimeOutTest, TheActivityIndicatorGoesOffHalfASecondAfterTheLastRequest) {
  auto& indicator = NetworkActivityIndicator::shared();
  server.route("GET", "/a", Reply::text("a"));
  auto first = makeRequest(server.url("/a"));
  runToEnd(first);
  EXPECT_TRUE(indicator.isVisible());
  advance(0.3);
  delegate = std::make_shared<RecordingDelegate>();
  auto second = makeRequest(server.url("/a"));
  runToEnd(second);
  advance(0.3);  // 0.6 s after the first request, 0.3 s after the second
  EXPECT_TRUE(indicator.isVisible());
  advance(0.25);
  EXPECT_FALSE(indicator.isVisible()) << indicator.runningRequestCount();
  EXPECT_FALSE(HTTPRequest::isNetworkInUse());
}

TEST_F(TimeOutTest, ThirtyRestartsAreMadeAndTheThirtyFirstTimeOutFails) {
  server.route("GET", "/silent", held());
  auto request = makeRequest(server.url("/silent"));
  request->setNumberOfTimesToRetryOnTimeout(30);
  request->startAsynchronous();
  for (std::size_t attempt = 1; attempt <= 31; ++attempt) {
    ASSERT_TRUE(server.waitForRequests(attempt));
    advance(11);
  }
  ASSERT_TRUE(runUntil([&] { return delegate->ended() && request->isFinished(); }));
  EXPECT_EQ(request->retryCount(), 30);
  EXPECT_EQ(server.requestCount("/silent"), 31u);
  EXPECT_EQ(delegate->count("failed"), 1);
  EXPECT_TRUE(isRequestError(delegate->failure, HTTPRequestErrorCode::timedOut));
}

TEST_F(TimeOutTest, ARestartedMultipartFormSendsTheSameBodyAndBoundary) {
  server.route("POST", "/upload", std::vector<Reply>{held(), Reply::text("ok")});
  auto form = FormDataRequest::requestWithURL(server.url("/upload"));
  form->setDelegate(delegate);
  wakeMainLoopWhenFinished(*form);
  form->addPostValue(foundation::Value("radio"), "name");
  form->addData(bytesOf("cover bytes"), "cover.jpg", "image/jpeg", "cover");
  form->setNumberOfTimesToRetryOnTimeout(1);
  form->startAsynchronous();
  ASSERT_TRUE(server.waitForRequests(1));
  advance(16);  // a body's first buffer-full gets half as long again
  ASSERT_TRUE(runUntil([&] { return delegate->ended() && form->isFinished(); }));
  EXPECT_EQ(delegate->count("finished"), 1);
  auto sent = server.requests();
  ASSERT_EQ(sent.size(), 2u);
  auto boundaryOf = [](const RecordedRequest& received) {
    auto type = received.header("Content-Type").value_or("");
    auto at = type.find("boundary=");
    return at == std::string::npos ? "" : type.substr(at + 9);
  };
  EXPECT_FALSE(boundaryOf(sent[0]).empty());
  EXPECT_EQ(boundaryOf(sent[1]), boundaryOf(sent[0]));
  EXPECT_EQ(sent[1].body, sent[0].body);
}

}  // namespace
}  // namespace http::test
