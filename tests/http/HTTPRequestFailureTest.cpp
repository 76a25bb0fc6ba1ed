#include <gtest/gtest.h>

#include <future>

#include "platform/net/HTTPReadStream.h"
#include "src/http/HeaderDictionary.h"
#include "tests/http/EngineTestSupport.h"

namespace http::test {
namespace {

using testsupport::Reply;

// Counts every queue call it gets.
class RecordingQueue : public HTTPRequestQueueDelegate {
 public:
  void requestStarted(HTTPRequest&) override { ++calls; }
  void requestFinished(HTTPRequest&) override { ++calls; }
  void requestFailed(HTTPRequest&) override { ++calls; }
  void requestDidReceiveBytes(HTTPRequest&, std::int64_t) override { ++calls; }
  void requestIncrementDownloadSizeBy(HTTPRequest&, std::int64_t) override { ++calls; }
  int calls = 0;
};

TEST_F(EngineTest, ABodyCutShortIsAConnectionFailure) {
  Reply lying = Reply::text("short");
  lying.announcedLength = 100;
  lying.end = testsupport::ConnectionEnd::kSilentClose;
  server.route("GET", "/short", lying);
  auto request = makeRequest(server.url("/short"));
  runToEnd(request);
  ASSERT_NE(delegate->failure, nullptr);
  EXPECT_TRUE(isRequestError(delegate->failure, HTTPRequestErrorCode::connectionFailure));
  EXPECT_NE(delegate->failure->underlying(), nullptr);
  EXPECT_TRUE(request->rawResponseData().empty());  // a failed connection drops what it read
}

TEST_F(EngineTest, ABrokenBodyFramingKeepsTheStatusOfTheHeadThatArrived) {
  Reply broken;
  broken.rawBytes = "HTTP/1.1 201 Created\r\nTransfer-Encoding: chunked\r\nX-Kept: yes\r\n\r\nzz\r\nhello\r\n";
  server.route("GET", "/broken", broken);
  auto request = makeRequest(server.url("/broken"));
  runToEnd(request);
  ASSERT_NE(delegate->failure, nullptr);
  EXPECT_TRUE(isRequestError(delegate->failure, HTTPRequestErrorCode::connectionFailure));
  EXPECT_EQ(request->responseStatusCode(), 201);
  EXPECT_EQ(headerValue(request->responseHeaders(), "X-Kept"), "yes");
}

TEST_F(EngineTest, CancellingRunningRequestReportsOnceAndLaterCancelsDoNothing) {
  Reply late = Reply::text("late");
  late.delay = std::chrono::hours(1);
  server.route("GET", "/held", late);
  auto request = makeRequest(server.url("/held"));
  request->startAsynchronous();
  ASSERT_TRUE(runUntil([&] { return delegate->count("started") == 1; }));
  request->cancel();
  request->cancel();
  ASSERT_TRUE(runUntil([&] { return delegate->ended() && request->isFinished(); }));
  request->cancel();
  foundation::RunLoop::main().pumpOnce();
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"started", "failed"}));
  EXPECT_TRUE(isRequestError(request->error(), HTTPRequestErrorCode::cancelled));
  EXPECT_EQ(delegate->offMainThreadCalls, 0);
}

TEST_F(EngineTest, CancellingAFinishedRequestChangesNothing) {
  server.route("GET", "/done", Reply::text("done"));
  auto request = makeRequest(server.url("/done"));
  runToEnd(request);
  request->cancel();
  bool back = false;
  HTTPRequest::networkLoop().post([&back] { foundation::performOnMainThread([&back] { back = true; }); });
  ASSERT_TRUE(runUntil([&] { return back; }));
  EXPECT_EQ(request->error(), nullptr);
  EXPECT_FALSE(request->isCancelled());
  EXPECT_EQ(delegate->events.back(), "finished");
}

TEST_F(EngineTest, AfterClearDelegatesAndCancelNobodyHearsAnything) {
  Reply late = Reply::text(std::string(1000, 'q'));
  late.delay = std::chrono::hours(1);
  server.route("GET", "/quiet", late);
  auto progress = std::make_shared<RecordingProgress>();
  auto queue = std::make_shared<RecordingQueue>();
  int blockCalls = 0;
  auto request = makeRequest(server.url("/quiet"));
  request->setDownloadProgressDelegate(progress);
  request->setQueue(queue);
  request->setFailureBlock([&] { ++blockCalls; });
  request->setCompletionBlock([&] { ++blockCalls; });
  request->startAsynchronous();
  ASSERT_TRUE(runUntil([&] { return delegate->count("started") == 1; }));
  int queueCallsBefore = queue->calls;
  request->clearDelegatesAndCancel();
  ASSERT_TRUE(runUntil([&] { return request->isFinished(); }));
  for (int round = 0; round < 3; ++round) foundation::RunLoop::main().pumpOnce();
  EXPECT_TRUE(isRequestError(request->error(), HTTPRequestErrorCode::cancelled));
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"started"}));
  EXPECT_EQ(queue->calls, queueCallsBefore);
  EXPECT_EQ(blockCalls, 0);
  EXPECT_TRUE(progress->fractions.empty() || progress->fractions.back() == 0.0f);
  EXPECT_EQ(progress->received, 0);
}

TEST_F(EngineTest, DeliveriesAlreadyOnTheirWayReachOnlyTheCurrentReceivers) {
  server.route("GET", "/body", Reply::text(std::string(4000, 'b')));
  auto progress = std::make_shared<RecordingProgress>();
  auto request = makeRequest(server.url("/body"));
  request->setDownloadProgressDelegate(progress);
  std::promise<void> finished;
  request->setCompletionHandler([&finished] { finished.set_value(); });
  request->startAsynchronous();
  // The main loop is not run meanwhile: every callback waits in its queue.
  finished.get_future().wait();
  request->setDelegate(std::weak_ptr<HTTPRequestDelegate>());
  request->setDownloadProgressDelegate(std::weak_ptr<ProgressDelegate>());
  for (int round = 0; round < 5; ++round) foundation::RunLoop::main().pumpOnce();
  EXPECT_TRUE(delegate->events.empty());
  EXPECT_TRUE(progress->fractions.empty());
  EXPECT_EQ(progress->received, 0);
}

testsupport::ServerOptions withTLS() {
  testsupport::ServerOptions options;
  options.tls = true;
  return options;
}

class TLSTest : public EngineTest {
 protected:
  testsupport::LoopbackServer secure{withTLS()};
};

TEST_F(TLSTest, AnUntrustedCertificateFailsWithTheSSLText) {
  secure.route("GET", "/s", Reply::text("secret"));
  auto request = makeRequest(secure.url("/s"));
  runToEnd(request);
  ASSERT_NE(delegate->failure, nullptr);
  EXPECT_TRUE(isRequestError(delegate->failure, HTTPRequestErrorCode::connectionFailure));
  EXPECT_EQ(delegate->failure->description(),
            "A connection failure occurred: SSL problem (Possible causes may include a bad/expired/self-signed "
            "certificate, clock set to wrong date)");
}

TEST_F(TLSTest, CertificateChecksCanBeSwitchedOffOrSatisfied) {
  secure.route("GET", "/s", Reply::text("secret"));
  auto relaxed = makeRequest(secure.url("/s"));
  relaxed->setValidatesSecureCertificate(false);
  runToEnd(relaxed);
  EXPECT_EQ(relaxed->responseString(), "secret");

  net::HTTPReadStream::setAdditionalTrustedCertificates(secure.certificatePEM());
  delegate = std::make_shared<RecordingDelegate>();
  auto trusted = makeRequest(secure.url("/s"));
  runToEnd(trusted);
  net::HTTPReadStream::setAdditionalTrustedCertificates("");
  EXPECT_EQ(trusted->responseString(), "secret");
}

}  // namespace
}  // namespace http::test
