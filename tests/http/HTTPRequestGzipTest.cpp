#include <gtest/gtest.h>

#include "src/http/DataCompressor.h"
#include "tests/http/EngineTestSupport.h"

namespace http::test {
namespace {

using testsupport::Reply;

Reply gzipped(std::string body) {
  Reply reply = Reply::text(std::move(body));
  reply.coding = testsupport::ContentCoding::kGzip;
  return reply;
}

TEST_F(EngineTest, AGzipReplyIsKeptCompressedAndInflatedWhenAskedFor) {
  std::string text(20000, 'z');
  server.route("GET", "/gz", gzipped(text));
  auto request = makeRequest(server.url("/gz"));
  runToEnd(request);
  EXPECT_TRUE(request->isResponseCompressed());
  auto raw = request->rawResponseData();
  ASSERT_GE(raw.size(), 2u);
  EXPECT_EQ(raw[0], 0x1f);
  EXPECT_EQ(raw[1], 0x8b);
  EXPECT_LT(raw.size(), text.size());
  EXPECT_EQ(request->responseString(), text);
}

TEST_F(EngineTest, ChunkedGzipIsInflatedWhileReadingWhenAskedTo) {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "line " + std::to_string(i) + "\n";
  Reply reply = gzipped(text);
  reply.framing = testsupport::BodyFraming::kChunked;
  reply.chunkSize = 1000;
  server.route("GET", "/chunked", reply);
  for (bool wait : {true, false}) {
    delegate = std::make_shared<RecordingDelegate>();
    auto request = makeRequest(server.url("/chunked"));
    request->setShouldWaitToInflateCompressedResponses(wait);
    runToEnd(request);
    EXPECT_EQ(request->responseString(), text) << "wait " << wait;
    auto raw = request->rawResponseData();
    EXPECT_EQ(std::string(raw.begin(), raw.end()) == text, !wait);
  }
}

TEST_F(EngineTest, CorruptGzipInMemoryFailsWithTheCodecError) {
  Reply corrupt = gzipped(std::string(5000, 'c'));
  corrupt.corruptEncoding = true;
  server.route("GET", "/bad", corrupt);
  for (bool wait : {true, false}) {
    delegate = std::make_shared<RecordingDelegate>();
    auto request = makeRequest(server.url("/bad"));
    request->setShouldWaitToInflateCompressedResponses(wait);
    runToEnd(request);
    ASSERT_NE(delegate->failure, nullptr) << "wait " << wait;
    EXPECT_TRUE(isRequestError(delegate->failure, HTTPRequestErrorCode::compression));
    EXPECT_EQ(delegate->count("finished"), 0);
  }
}

// Two gzip members one after the other, sent with the coding spelled in capitals.
Reply twoMemberGzip(const std::string& first, const std::string& second) {
  auto one = DataCompressor::compressData(foundation::Bytes(first.begin(), first.end()));
  auto two = DataCompressor::compressData(foundation::Bytes(second.begin(), second.end()));
  Reply reply = Reply::text(std::string(one->begin(), one->end()) + std::string(two->begin(), two->end()));
  return reply.header("Content-Encoding", "GZIP");
}

TEST_F(EngineTest, EveryGzipMemberIsInflatedWhateverTheCodingsCase) {
  std::string first(3000, 'a'), second(4000, 'b');
  server.route("GET", "/members", twoMemberGzip(first, second));
  for (bool wait : {true, false}) {
    delegate = std::make_shared<RecordingDelegate>();
    auto request = makeRequest(server.url("/members"));
    request->setShouldWaitToInflateCompressedResponses(wait);
    runToEnd(request);
    EXPECT_EQ(request->responseString(), first + second) << "wait " << wait;
    TemporaryDirectory folder;
    delegate = std::make_shared<RecordingDelegate>();
    auto download = makeRequest(server.url("/members"));
    download->setShouldWaitToInflateCompressedResponses(wait);
    download->setDownloadDestinationPath(folder.file("members.txt"));
    runToEnd(download);
    auto written = readFile(folder.file("members.txt"));
    EXPECT_EQ(std::string(written.begin(), written.end()), first + second) << "wait " << wait;
  }
}

TEST_F(EngineTest, ADataDelegateTakesTheInflatedBodyInsteadOfTheRequest) {
  std::string text(50000, 'd');
  server.route("GET", "/data", gzipped(text));
  delegate->takesData = true;
  auto request = makeRequest(server.url("/data"));
  request->setShouldWaitToInflateCompressedResponses(false);
  runToEnd(request);
  EXPECT_EQ(std::string(delegate->received.begin(), delegate->received.end()), text);
  EXPECT_TRUE(request->rawResponseData().empty());
  EXPECT_EQ(delegate->events.back(), "finished");
}

}  // namespace
}  // namespace http::test
