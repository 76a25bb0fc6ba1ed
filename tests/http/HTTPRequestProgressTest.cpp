#include <gtest/gtest.h>

#include "tests/http/EngineTestSupport.h"

namespace http::test {
namespace {

using testsupport::Reply;

void expectFractionsWithinOneAndEndingThere(const std::vector<float>& fractions) {
  ASSERT_FALSE(fractions.empty());
  for (float fraction : fractions) {
    EXPECT_GE(fraction, 0.0f);
    EXPECT_LE(fraction, 1.0f);
  }
  EXPECT_EQ(fractions.back(), 1.0f);
}

TEST_F(EngineTest, DownloadProgressAddsUpToTheAnnouncedLength) {
  const std::size_t size = 3 * 262144 + 17;
  Reply reply = Reply::text(std::string(size, 'p'));
  reply.trickleBytes = 65536;
  server.route("GET", "/big", reply);
  auto progress = std::make_shared<RecordingProgress>();
  std::uint64_t blockTotal = 0;
  std::uint64_t blockSum = 0;
  auto request = makeRequest(server.url("/big"));
  request->setDownloadProgressDelegate(progress);
  request->setBytesReceivedBlock([&](std::uint64_t amount, std::uint64_t total) {
    blockSum += amount;
    blockTotal = total;
  });
  runToEnd(request);
  EXPECT_EQ(progress->downloadSize, static_cast<std::int64_t>(size));
  EXPECT_EQ(progress->received, static_cast<std::int64_t>(size));
  EXPECT_EQ(blockSum, size);
  EXPECT_EQ(blockTotal, size);
  expectFractionsWithinOneAndEndingThere(progress->fractions);
  EXPECT_EQ(progress->fractions.front(), 0.0f);  // the reset at the start
}

TEST_F(EngineTest, WithoutALengthDownloadProgressIsOneUnitAtTheEnd) {
  Reply chunked = Reply::text(std::string(10000, 'u'));
  chunked.framing = testsupport::BodyFraming::kChunked;
  server.route("GET", "/unknown", chunked);
  auto progress = std::make_shared<RecordingProgress>();
  auto request = makeRequest(server.url("/unknown"));
  request->setDownloadProgressDelegate(progress);
  runToEnd(request);
  EXPECT_EQ(progress->downloadSize, 1);
  EXPECT_EQ(progress->received, 1);
  EXPECT_EQ(request->contentLength(), 10000u);
  expectFractionsWithinOneAndEndingThere(progress->fractions);
}

TEST_F(EngineTest, InaccurateProgressReportsOneUnitEachWay) {
  server.route("POST", "/form", Reply::text(std::string(3000, 'r')));
  auto download = std::make_shared<RecordingProgress>();
  auto upload = std::make_shared<RecordingProgress>();
  auto request = makeRequest(server.url("/form"));
  request->appendPostData(bytesOf("field=value"));
  request->setShowAccurateProgress(false);
  request->setDownloadProgressDelegate(download);
  request->setUploadProgressDelegate(upload);
  runToEnd(request);
  EXPECT_EQ(download->received, 1);
  EXPECT_EQ(upload->sent, 1);
  EXPECT_EQ(upload->uploadSize, 1);
}

TEST_F(EngineTest, UploadProgressCountsTheBody) {
  server.route("POST", "/upload", Reply::text("ok"));
  auto upload = std::make_shared<RecordingProgress>();
  auto request = makeRequest(server.url("/upload"));
  foundation::Bytes body = noise(200000);
  request->appendPostData(body);
  request->setUploadProgressDelegate(upload);
  runToEnd(request);
  EXPECT_EQ(request->postLength(), body.size());
  EXPECT_EQ(request->requestMethod(), "POST");  // a GET with a body is sent as a POST
  EXPECT_EQ(server.requests().at(0).bodySize, body.size());
  EXPECT_EQ(request->totalBytesSent(), body.size());
  EXPECT_EQ(upload->sent, upload->uploadSize);
  EXPECT_GT(upload->sent, 0);
  expectFractionsWithinOneAndEndingThere(upload->fractions);
}

TEST_F(EngineTest, AnEmptyBodyReportsNoFractionThatIsNotANumber) {
  server.route("GET", "/empty", Reply::text(""));
  auto progress = std::make_shared<RecordingProgress>();
  auto request = makeRequest(server.url("/empty"));
  request->setDownloadProgressDelegate(progress);
  request->setUploadProgressDelegate(progress);
  runToEnd(request);
  for (float fraction : progress->fractions) {
    EXPECT_GE(fraction, 0.0f);
    EXPECT_LE(fraction, 1.0f);
  }
  EXPECT_EQ(progress->received, 1);
}

TEST_F(EngineTest, ContentLengthIsReadAsADecimalNumberOnly) {
  // A HEAD reply's length frames no body, so it reaches the engine as the server wrote it.
  server.route("HEAD", "/octal", [](const testsupport::RecordedRequest&) {
    Reply reply;
    reply.noBody = true;
    return reply.header("Content-Length", "010");
  });
  auto main = makeRequest(server.url("/octal"));
  auto head = main->HEADRequest();
  wakeMainLoopWhenFinished(*head);
  head->startAsynchronous();
  ASSERT_TRUE(runUntil([&] { return head->isFinished(); }));
  EXPECT_EQ(main->contentLength(), 10u);
}

}  // namespace
}  // namespace http::test
