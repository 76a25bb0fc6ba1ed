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
using testsupport::ConnectionEnd;
using testsupport::Fault;
using testsupport::LoopbackServer;
using testsupport::Reply;

class HTTPReadStreamFailureTest : public ::testing::Test {
 protected:
  void TearDown() override { HTTPReadStream::closeIdleConnections(); }

  foundation::ErrorPtr failureOf(const std::string& path, Reply reply) {
    server.route("GET", path, std::move(reply));
    StreamExchange exchange(server.url(path));
    EXPECT_TRUE(exchange.run()) << path;
    EXPECT_FALSE(exchange.ended) << path << ": a broken reply must never end cleanly";
    return exchange.error;
  }

  LoopbackServer server;
};

TEST_F(HTTPReadStreamFailureTest, BodyCutShortIsAnErrorNeverAnEnd) {
  Reply cut = Reply::text(std::string(5000, 'c'));
  cut.fault = Fault::kCloseAfterBytes;
  cut.faultAfterBytes = 1000;
  Reply shortBody = Reply::text("only ten!!");
  shortBody.announcedLength = 100;
  shortBody.end = ConnectionEnd::kSilentClose;
  Reply chunkedCut = Reply::text(std::string(5000, 'k'));
  chunkedCut.framing = BodyFraming::kChunked;
  chunkedCut.chunkSize = 1000;
  chunkedCut.fault = Fault::kResetAfterBytes;
  chunkedCut.faultAfterBytes = 2500;

  for (auto& [path, reply] :
       std::vector<std::pair<std::string, Reply>>{{"/cut", cut}, {"/short", shortBody}, {"/chunked-cut", chunkedCut}}) {
    auto error = failureOf(path, reply);
    ASSERT_TRUE(error) << path;
    EXPECT_TRUE(error->is(kCFNetworkErrorDomain, kConnectionLostDuringResponse)) << error->debugText();
    EXPECT_FALSE(isRestartCase(*error));
  }
}

TEST_F(HTTPReadStreamFailureTest, BytesReceivedBeforeACutAreStillReadable) {
  Reply cut = Reply::text(std::string(3000, 'r'));
  cut.fault = Fault::kCloseAfterBytes;
  cut.faultAfterBytes = 2000;
  server.route("GET", "/cut", cut);
  StreamExchange exchange(server.url("/cut"));
  ASSERT_TRUE(exchange.run());
  ASSERT_TRUE(exchange.error);
  // Everything after the head up to the cut arrived before the error.
  EXPECT_GT(exchange.body.size(), 1800u);
  EXPECT_LT(exchange.body.size(), 2000u);
  EXPECT_EQ(exchange.body, std::string(exchange.body.size(), 'r'));
  EXPECT_EQ(exchange.events.back(), kStreamEventErrorOccurred);
  std::uint8_t byte = 0;
  EXPECT_LT(exchange.stream->read(&byte, 1), 0);
}

TEST_F(HTTPReadStreamFailureTest, MalformedHeadsAreParseErrors) {
  const std::vector<std::pair<std::string, std::string>> broken = {
      {"/status", "HTTP/1.1 abc OK\r\nContent-Length: 0\r\n\r\n"},
      {"/garbage", "this is not http at all\r\n\r\n"},
      {"/version", "HTTP/2.0 200 OK\r\nContent-Length: 0\r\n\r\n"},
      {"/field", "HTTP/1.1 200 OK\r\nNo colon here\r\nContent-Length: 0\r\n\r\n"},
      {"/length", "HTTP/1.1 200 OK\r\nContent-Length: 12abc\r\n\r\nhello"},
      {"/lengths", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 7\r\n\r\nhello"},
      {"/chunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nhello\r\n0\r\n\r\n"},
  };
  for (const auto& [path, bytes] : broken) {
    Reply reply;
    reply.rawBytes = bytes;
    auto error = failureOf(path, reply);
    ASSERT_TRUE(error) << path;
    EXPECT_TRUE(error->is(kCFNetworkErrorDomain, kResponseParseFailure)) << path << ": " << error->debugText();
  }
}

TEST_F(HTTPReadStreamFailureTest, OversizedHeadIsRefused) {
  Reply huge = Reply::text("x");
  huge.header("X-Padding", std::string(kMaxResponseHeadBytes + 10, 'p'));
  auto error = failureOf("/huge", huge);
  ASSERT_TRUE(error);
  EXPECT_TRUE(error->is(kCFNetworkErrorDomain, kResponseHeaderTooLarge)) << error->debugText();
}

TEST_F(HTTPReadStreamFailureTest, RefusedConnectionAndUnsupportedURLs) {
  int closedPort = 0;
  {
    LoopbackServer gone;
    closedPort = gone.port();
  }
  StreamExchange refused("http://127.0.0.1:" + std::to_string(closedPort) + "/");
  ASSERT_TRUE(refused.run());
  ASSERT_TRUE(refused.error);
  EXPECT_TRUE(refused.error->is(kCFNetworkErrorDomain, kCannotConnectToHost)) << refused.error->debugText();

  for (const char* url : {"ftp://example.com/file", "file:///etc/passwd", "http:///nohost", "http://h:70000/",
                          "not a url", "http://exa mple.com/"}) {
    auto message = HTTPMessage::createRequest("GET", url, HTTPVersion::HTTP1_1);
    ASSERT_FALSE(message.ok()) << url;
    EXPECT_TRUE(message.error()->is(kCFNetworkErrorDomain, kUnsupportedURL));
  }
}

TEST_F(HTTPReadStreamFailureTest, ClosingFromInsideTheClientStopsAllEvents) {
  server.route("GET", "/big", Reply::text(std::string(2'000'000, 'b')));
  auto message = HTTPMessage::createRequest("GET", server.url("/big"), HTTPVersion::HTTP1_1);
  auto stream = HTTPReadStream::create(**message);
  int events = 0;
  std::weak_ptr<HTTPReadStream> weak = stream;
  stream->setClient(kStreamEventHasBytesAvailable | kStreamEventEndEncountered | kStreamEventErrorOccurred,
                    [&](StreamEvent) {
                      ++events;
                      auto self = weak.lock();
                      self->close();
                      stream.reset();  // drops the last reference from inside the callback
                    });
  stream->scheduleInRunLoop(foundation::RunLoop::main());
  ASSERT_TRUE(stream->open());
  auto& loop = foundation::RunLoop::main();
  ASSERT_TRUE(loop.runUntil([&] { return events > 0; }));
  EXPECT_TRUE(weak.expired());
  loop.pumpOnce();
  EXPECT_EQ(events, 1);
  EXPECT_FALSE(weak.lock());
  EXPECT_TRUE(server.waitFor([&] { return server.openConnections() == 0; }));
}

TEST_F(HTTPReadStreamFailureTest, OpeningTwiceAndReadingUnopenedStreamsAreHarmless) {
  server.route("GET", "/a", Reply::text("a"));
  auto message = HTTPMessage::createRequest("GET", server.url("/a"), HTTPVersion::HTTP1_1);
  auto stream = HTTPReadStream::create(**message);
  std::uint8_t byte = 0;
  EXPECT_EQ(stream->read(&byte, 1), 0);
  EXPECT_EQ(stream->status(), StreamStatus::NotOpen);

  auto badLength = HTTPMessage::createRequest("POST", server.url("/a"), HTTPVersion::HTTP1_1);
  (*badLength)->setHeaderFieldValue("Content-Length", "0x10");
  auto refused = HTTPReadStream::create(**badLength, InputStream::withBytes({1}));
  EXPECT_FALSE(refused->open());
  EXPECT_EQ(refused->status(), StreamStatus::Error);
  EXPECT_TRUE(refused->error()->is(kCFNetworkErrorDomain, kRequestBodyReadFailed));
  EXPECT_FALSE(refused->open());
  EXPECT_FALSE(stream->responseHeader());
  EXPECT_TRUE(stream->open());
  EXPECT_FALSE(stream->open());
  stream->close();
  EXPECT_EQ(stream->status(), StreamStatus::Closed);
  EXPECT_FALSE(stream->setClient(kStreamEventEndEncountered, [](StreamEvent) {}));
}

}  // namespace
}  // namespace net
