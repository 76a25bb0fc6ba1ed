#include <gtest/gtest.h>

#include "platform/net/HTTPReadStream.h"
#include "platform/net/NetErrors.h"
#include "tests/platform/net/StreamExchange.h"
#include "tests/support/LoopbackServer.h"

namespace net {
namespace {

using testing::StreamExchange;
using testing::StreamOptions;
using testsupport::ConnectionEnd;
using testsupport::Fault;
using testsupport::LoopbackServer;
using testsupport::Reply;

class HTTPReadStreamReuseTest : public ::testing::Test {
 protected:
  void SetUp() override { server.route("GET", "/a", Reply::text("alpha")); }
  void TearDown() override { HTTPReadStream::closeIdleConnections(); }

  // Runs one exchange to its end and returns whether it went out on a reused socket.
  bool fetch(const std::string& url, StreamOptions options = StreamOptions().persistent()) {
    StreamExchange exchange(url, options);
    EXPECT_TRUE(exchange.run());
    EXPECT_FALSE(exchange.error) << exchange.error->debugText();
    return exchange.stream->connectionWasReused();
  }

  LoopbackServer server;
};

TEST_F(HTTPReadStreamReuseTest, SequentialStreamsWithOneStreamIDShareOneSocket) {
  EXPECT_FALSE(fetch(server.url("/a")));
  EXPECT_TRUE(fetch(server.url("/a")));
  EXPECT_TRUE(fetch(server.url("/a")));
  EXPECT_EQ(server.acceptedConnections(), 1);
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[2].indexOnConnection, 3);
}

TEST_F(HTTPReadStreamReuseTest, ClosingAFinishedStreamKeepsItsSocketButClosingMidResponseDoesNot) {
  {
    StreamExchange finished(server.url("/a"), StreamOptions().persistent());
    ASSERT_TRUE(finished.run());
    finished.stream->close();
  }
  EXPECT_EQ(HTTPReadStream::idleConnectionCount(), 1u);

  Reply stalled = Reply::text(std::string(1000, 's'));
  stalled.stallAfterBytes = 200;
  server.route("GET", "/stall", stalled);
  {
    StreamExchange cut(server.url("/stall"), StreamOptions().persistent(7));
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return !cut.body.empty(); }));
    cut.stream->close();
  }
  // The server sees the close of the half-read connection; only the first socket stays idle.
  ASSERT_TRUE(server.waitFor([&] { return server.openConnections() == 1; }));
  EXPECT_EQ(HTTPReadStream::idleConnectionCount(), 1u);
}

TEST_F(HTTPReadStreamReuseTest, SocketsAreNotSharedAcrossStreamIDsHostsPortsOrWithoutTheProperty) {
  LoopbackServer other;
  other.route("GET", "/a", Reply::text("other"));
  EXPECT_FALSE(fetch(server.url("/a"), StreamOptions().persistent(1)));
  EXPECT_FALSE(fetch(server.url("/a"), StreamOptions().persistent(2)));
  EXPECT_FALSE(fetch(server.localhostURL("/a"), StreamOptions().persistent(1)));
  EXPECT_FALSE(fetch(other.url("/a"), StreamOptions().persistent(1)));
  EXPECT_FALSE(fetch(server.url("/a"), StreamOptions()));
  EXPECT_EQ(server.acceptedConnections(), 4);
  EXPECT_TRUE(fetch(server.url("/a"), StreamOptions().persistent(2)));
}

TEST_F(HTTPReadStreamReuseTest, ConnectionCloseAndPlainHTTP10RepliesAreNotReused) {
  Reply closing = Reply::text("bye");
  closing.end = ConnectionEnd::kClose;
  server.route("GET", "/close", closing);
  Reply old = Reply::text("old");
  old.version = "HTTP/1.0";
  server.route("GET", "/old", old);
  Reply oldKeepAlive = Reply::text("old but kept");
  oldKeepAlive.version = "HTTP/1.0";
  oldKeepAlive.header("Connection", "keep-alive");
  server.route("GET", "/old-kept", oldKeepAlive);

  EXPECT_FALSE(fetch(server.url("/close")));
  EXPECT_FALSE(fetch(server.url("/old")));
  EXPECT_FALSE(fetch(server.url("/old-kept")));
  EXPECT_TRUE(fetch(server.url("/a")));
  EXPECT_EQ(server.acceptedConnections(), 3);
}

TEST_F(HTTPReadStreamReuseTest, BodyLongerThanAnnouncedEndsAtTheLengthAndDropsTheSocket) {
  Reply overlong = Reply::text("hello, and more");
  overlong.announcedLength = 5;
  server.route("GET", "/long", overlong);
  StreamExchange exchange(server.url("/long"), StreamOptions().persistent());
  ASSERT_TRUE(exchange.run());
  EXPECT_FALSE(exchange.error);
  EXPECT_EQ(exchange.body, "hello");
  EXPECT_FALSE(fetch(server.url("/a")));
  EXPECT_EQ(server.acceptedConnections(), 2);
}

TEST_F(HTTPReadStreamReuseTest, ReusedSocketClosedOrResetBeforeTheReplyIsTheRestartCase) {
  for (Fault fault : {Fault::kCloseWithoutReply, Fault::kResetWithoutReply}) {
    Reply dropped;
    dropped.fault = fault;
    const std::string path = fault == Fault::kCloseWithoutReply ? "/closes" : "/resets";
    server.route("GET", path, std::vector<Reply>{Reply::text("first"), dropped});
    EXPECT_FALSE(fetch(server.url(path)));
    StreamExchange second(server.url(path), StreamOptions().persistent());
    ASSERT_TRUE(second.run());
    ASSERT_TRUE(second.error);
    EXPECT_TRUE(second.stream->connectionWasReused());
    EXPECT_TRUE(second.error->is(kCFNetworkErrorDomain, kNetworkConnectionLost)) << second.error->debugText();
    EXPECT_TRUE(isRestartCase(*second.error));
    EXPECT_EQ(second.stream->status(), StreamStatus::Error);
    EXPECT_FALSE(second.ended);
  }
}

TEST_F(HTTPReadStreamReuseTest, FreshSocketClosedBeforeTheReplyIsNeverTheRestartCase) {
  Reply dropped;
  dropped.fault = Fault::kCloseWithoutReply;
  server.route("POST", "/form", dropped);
  StreamExchange exchange(
      server.url("/form"),
      StreamOptions().method("POST").header("Content-Length", "3").body(InputStream::withBytes({'a', '=', '1'})));
  ASSERT_TRUE(exchange.run());
  ASSERT_TRUE(exchange.error);
  EXPECT_TRUE(exchange.error->is(kCFNetworkErrorDomain, kConnectionLostDuringResponse));
  EXPECT_FALSE(isRestartCase(*exchange.error));
}

TEST_F(HTTPReadStreamReuseTest, IdleSocketThatTheServerClosedIsDroppedAndANewOneDialled) {
  EXPECT_FALSE(fetch(server.url("/a")));
  server.closeIdleConnections();
  ASSERT_TRUE(testing::pollUntil([] { return HTTPReadStream::idleConnectionCount() == 0; }));
  EXPECT_FALSE(fetch(server.url("/a")));
  EXPECT_EQ(server.acceptedConnections(), 2);
}

}  // namespace
}  // namespace net
