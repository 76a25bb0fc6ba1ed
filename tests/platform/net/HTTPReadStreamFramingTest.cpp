#include <gtest/gtest.h>

#include "platform/net/HTTPReadStream.h"
#include "platform/net/NetErrors.h"
#include "tests/platform/net/StreamExchange.h"
#include "tests/support/LoopbackServer.h"

namespace net {
namespace {

using testing::StreamExchange;
using testing::StreamOptions;
using testsupport::BodyFraming;
using testsupport::LoopbackServer;
using testsupport::Reply;

class HTTPReadStreamFramingTest : public ::testing::Test {
 protected:
  void TearDown() override { HTTPReadStream::closeIdleConnections(); }
  LoopbackServer server;
};

TEST_F(HTTPReadStreamFramingTest, ContentLengthBodyArrivesWithItsHead) {
  server.route("GET", "/song", Reply::text("hello world").header("X-Test", "yes"));
  StreamExchange exchange(server.url("/song?id=3"));
  ASSERT_TRUE(exchange.opened);
  ASSERT_TRUE(exchange.run());
  EXPECT_FALSE(exchange.error);
  EXPECT_EQ(exchange.body, "hello world");
  auto head = exchange.stream->responseHeader();
  ASSERT_TRUE(head);
  EXPECT_TRUE(head->isHeaderComplete());
  EXPECT_EQ(head->statusCode(), 200);
  EXPECT_EQ(head->statusLine(), "HTTP/1.1 200 OK");
  EXPECT_EQ(head->version(), HTTPVersion::HTTP1_1);
  EXPECT_EQ(head->headerFieldValue("x-test"), "yes");
  EXPECT_EQ(head->headerFieldValue("CONTENT-LENGTH"), "11");
  EXPECT_EQ(exchange.stream->status(), StreamStatus::AtEnd);
  std::uint8_t byte = 0;
  EXPECT_EQ(exchange.stream->read(&byte, 1), 0);
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].target, "/song?id=3");
  EXPECT_EQ(server.requests()[0].header("Host"), "127.0.0.1:" + std::to_string(server.port()));
}

TEST_F(HTTPReadStreamFramingTest, ChunkedBodyIsDecodedAndTrailersAreNotHeaders) {
  Reply reply = Reply::text("abcdefghijklmnopqrstuvwxyz");
  reply.framing = BodyFraming::kChunked;
  reply.chunkSize = 3;
  server.route("GET", "/chunked", reply);
  Reply withTrailer;
  withTrailer.rawBytes =
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nWiki\r\n5;ext=1\r\npedia\r\n0\r\nX-Trailer: t\r\n\r\n";
  server.route("GET", "/trailer", withTrailer);

  StreamExchange chunked(server.url("/chunked"));
  ASSERT_TRUE(chunked.run());
  EXPECT_FALSE(chunked.error);
  EXPECT_EQ(chunked.body, "abcdefghijklmnopqrstuvwxyz");

  StreamExchange trailer(server.url("/trailer"));
  ASSERT_TRUE(trailer.run());
  EXPECT_FALSE(trailer.error);
  EXPECT_EQ(trailer.body, "Wikipedia");
  EXPECT_FALSE(trailer.stream->responseHeader()->headerFieldValue("X-Trailer"));
}

TEST_F(HTTPReadStreamFramingTest, AReplyArrivingAFewBytesAtATimeIsReadWhole) {
  Reply trickled;
  trickled.rawBytes =
      "HTTP/1.1 200 OK\r\nX-Long-Header: " + std::string(40, 'h') +
      "\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nWiki\r\n5;ext=1\r\npedia\r\n0\r\nX-Trailer: t\r\n\r\n";
  trickled.trickleBytes = 3;
  trickled.trickleInterval = std::chrono::milliseconds(1);
  server.route("GET", "/trickled", trickled);

  StreamExchange exchange(server.url("/trickled"));
  ASSERT_TRUE(exchange.run());
  EXPECT_FALSE(exchange.error);
  EXPECT_EQ(exchange.body, "Wikipedia");
  ASSERT_TRUE(exchange.stream->responseHeader());
  EXPECT_EQ(exchange.stream->responseHeader()->headerFieldValue("X-Long-Header"), std::string(40, 'h'));
}

TEST_F(HTTPReadStreamFramingTest, CloseDelimitedBodyEndsWhenTheServerCloses) {
  Reply reply = Reply::text(std::string(100000, 'z'));
  reply.framing = BodyFraming::kCloseDelimited;
  server.route("GET", "/stream", reply);
  StreamExchange exchange(server.url("/stream"), StreamOptions().persistent());
  ASSERT_TRUE(exchange.run());
  EXPECT_FALSE(exchange.error);
  EXPECT_EQ(exchange.body.size(), 100000u);
  EXPECT_EQ(HTTPReadStream::idleConnectionCount(), 0u);
}

TEST_F(HTTPReadStreamFramingTest, HeadNoContentAndNotModifiedEndWithoutBodyAndKeepTheSocket) {
  server.route("HEAD", "/file", Reply::text(std::string(5000, 'x')));
  server.route("GET", "/empty", Reply::text("", 204));
  Reply notModified = Reply::text("", 304);
  notModified.header("ETag", "\"v1\"");
  server.route("GET", "/cached", notModified);

  for (const auto& [method, path] :
       std::vector<std::pair<std::string, std::string>>{{"HEAD", "/file"}, {"GET", "/empty"}, {"GET", "/cached"}}) {
    StreamExchange exchange(server.url(path), StreamOptions().method(method).persistent());
    ASSERT_TRUE(exchange.run()) << path;
    EXPECT_FALSE(exchange.error) << path;
    EXPECT_TRUE(exchange.body.empty()) << path;
    EXPECT_TRUE(exchange.ended) << path;
  }
  EXPECT_EQ(server.acceptedConnections(), 1);
}

TEST_F(HTTPReadStreamFramingTest, InterimResponsesAreSkippedAndRepeatedCookiesKept) {
  Reply reply;
  reply.rawBytes =
      "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nSet-Cookie: b=2; Path=/\r\n"
      "Content-Length: 2\r\n\r\nhi";
  server.route("GET", "/interim", reply);
  StreamExchange exchange(server.url("/interim"));
  ASSERT_TRUE(exchange.run());
  EXPECT_FALSE(exchange.error);
  EXPECT_EQ(exchange.body, "hi");
  auto head = exchange.stream->responseHeader();
  EXPECT_EQ(head->statusCode(), 200);
  EXPECT_EQ(head->headerFieldValues("set-cookie"), (std::vector<std::string>{"a=1", "b=2; Path=/"}));
}

TEST_F(HTTPReadStreamFramingTest, SlowReaderGetsEveryByteOfALargeBodyInOrder) {
  std::string content(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>('a' + (i * 7) % 26);
  server.route("GET", "/big", Reply::text(content));
  StreamExchange exchange(server.url("/big"), StreamOptions().readSize(1000));
  ASSERT_TRUE(exchange.run());
  EXPECT_FALSE(exchange.error);
  EXPECT_TRUE(exchange.body == content);
}

TEST_F(HTTPReadStreamFramingTest, UnscheduledStreamHoldsItsEventsAndLosesNoData) {
  server.route("GET", "/data", Reply::text("payload"));
  StreamExchange exchange(server.url("/data"));
  exchange.stream->unscheduleFromRunLoop();
  auto& loop = foundation::RunLoop::main();
  ASSERT_TRUE(loop.runUntil(
      [&] { return exchange.stream->status() == StreamStatus::Open && exchange.stream->hasBytesAvailable(); }));
  loop.pumpOnce();
  EXPECT_TRUE(exchange.events.empty());
  exchange.stream->scheduleInRunLoop(loop);
  ASSERT_TRUE(exchange.run());
  EXPECT_EQ(exchange.body, "payload");
  EXPECT_EQ(testing::countOf(exchange.events, kStreamEventEndEncountered), 1u);
}

TEST_F(HTTPReadStreamFramingTest, RequestBodyIsSentWithItsLengthOrChunked) {
  server.route("POST", "/upload", Reply::text("ok"));
  const foundation::Bytes payload(200000, 0x41);

  StreamExchange withLength(server.url("/upload"), StreamOptions()
                                                       .method("POST")
                                                       .header("Content-Length", "200000")
                                                       .header("Content-Type", "application/octet-stream")
                                                       .body(InputStream::withBytes(payload)));
  ASSERT_TRUE(withLength.run());
  EXPECT_FALSE(withLength.error);
  EXPECT_EQ(withLength.stream->requestBodyBytesWritten(), 200000u);

  StreamExchange chunked(server.url("/upload"),
                         StreamOptions().method("POST").body(InputStream::withBytes({'a', 'b', 'c'})));
  ASSERT_TRUE(chunked.run());
  EXPECT_EQ(chunked.stream->requestBodyBytesWritten(), 3u);

  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].bodySize, 200000u);
  EXPECT_EQ(requests[0].body, std::string(200000, 'A'));
  EXPECT_EQ(requests[1].header("Transfer-Encoding"), "chunked");
  EXPECT_EQ(requests[1].body, "abc");
}

TEST_F(HTTPReadStreamFramingTest, RequestBodyShorterThanItsLengthIsAnError) {
  server.route("POST", "/upload", Reply::text("ok"));
  StreamExchange exchange(
      server.url("/upload"),
      StreamOptions().method("POST").header("Content-Length", "10").body(InputStream::withBytes({'a', 'b'})));
  ASSERT_TRUE(exchange.run());
  ASSERT_TRUE(exchange.error);
  EXPECT_TRUE(exchange.error->is(kCFNetworkErrorDomain, kRequestBodyReadFailed));
  EXPECT_FALSE(exchange.ended);
}

}  // namespace
}  // namespace net
