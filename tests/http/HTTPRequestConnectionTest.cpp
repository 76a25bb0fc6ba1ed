#include <gtest/gtest.h>

#include "src/http/ConnectionPool.h"
#include "tests/http/EngineTestSupport.h"

namespace http::test {
namespace {

using testsupport::Reply;

class ConnectionTest : public EngineTest {
 protected:
  // Runs a GET to `path` with a fresh delegate; returns the request.
  std::shared_ptr<HTTPRequest> get(const std::string& path) {
    delegate = std::make_shared<RecordingDelegate>();
    auto request = makeRequest(server.url(path));
    runToEnd(request);
    return request;
  }
};

TEST_F(ConnectionTest, SequentialRequestsShareOneKeptConnection) {
  server.route("GET", "/a", Reply::text("a"));
  auto first = get("/a");
  auto second = get("/a");
  EXPECT_EQ(server.acceptedConnections(), 1);
  ASSERT_TRUE(first->connectionID() && second->connectionID());
  EXPECT_EQ(*first->connectionID(), *second->connectionID());
  ASSERT_TRUE(first->requestID() && second->requestID());
  EXPECT_LT(*first->requestID(), *second->requestID());
}

TEST_F(ConnectionTest, ConnectionCloseAndHTTP10AreNotReused) {
  Reply closing = Reply::text("c");
  closing.end = testsupport::ConnectionEnd::kClose;
  Reply old = Reply::text("o");
  old.version = "HTTP/1.0";
  server.route("GET", "/close", closing);
  server.route("GET", "/old", old);
  get("/close");
  get("/close");
  EXPECT_EQ(server.acceptedConnections(), 2);
  get("/old");
  get("/old");
  EXPECT_EQ(server.acceptedConnections(), 4);
}

TEST_F(ConnectionTest, KeepAliveWithAFewRequestsLeftIsNotKept) {
  server.route("GET", "/few", Reply::text("f").header("Keep-Alive", "timeout=15, max=5"));
  get("/few");
  get("/few");
  EXPECT_EQ(server.acceptedConnections(), 2);
}

TEST_F(ConnectionTest, KeepAliveTimeoutReplacesTheDefaultIdleTime) {
  server.route("GET", "/ka", Reply::text("k").header("Keep-Alive", "timeout=15, max=100"));
  auto request = get("/ka");
  EXPECT_EQ(request->persistentConnectionTimeoutSeconds(), 15.0);
  auto plain = server.url("/plain");
  server.route("GET", "/plain", Reply::text("p"));
  auto second = get("/plain");
  EXPECT_EQ(second->persistentConnectionTimeoutSeconds(), 60.0);
  EXPECT_EQ(server.acceptedConnections(), 1);
}

TEST_F(ConnectionTest, KeepAliveWithoutATimeoutKeepsTheDefaultIdleTime) {
  server.route("GET", "/max", Reply::text("m").header("Keep-Alive", "max=100"));
  EXPECT_EQ(get("/max")->persistentConnectionTimeoutSeconds(), 60.0);
  get("/max");
  EXPECT_EQ(server.acceptedConnections(), 1);
}

TEST_F(ConnectionTest, AKeptConnectionDroppedBeforeTheReplyIsRetriedOnceOnANewOne) {
  Reply dropped;
  dropped.fault = testsupport::Fault::kCloseWithoutReply;
  server.route("GET", "/warm", Reply::text("w"));
  server.route("GET", "/s", std::vector<Reply>{dropped, Reply::text("s")});
  get("/warm");
  auto second = get("/s");
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"started", "started", "headers", "finished"}));
  EXPECT_EQ(second->responseString(), "s");
  EXPECT_EQ(second->retryCount(), 1);
  EXPECT_EQ(server.acceptedConnections(), 2);
}

TEST_F(ConnectionTest, AnIdleSocketTheServerClosedDoesNotFailTheNextRequest) {
  server.route("GET", "/i", Reply::text("i"));
  get("/i");
  server.closeIdleConnections();
  auto second = get("/i");
  EXPECT_EQ(second->responseString(), "i");
  EXPECT_EQ(server.acceptedConnections(), 2);
}

TEST_F(ConnectionTest, TheRetryOnANewConnectionHappensOnlyOnce) {
  Reply dropped;
  dropped.fault = testsupport::Fault::kResetWithoutReply;
  server.route("GET", "/ok", Reply::text("ok"));
  server.route("GET", "/dropped", dropped);
  get("/ok");
  auto request = get("/dropped");
  EXPECT_TRUE(isRequestError(request->error(), HTTPRequestErrorCode::connectionFailure));
  EXPECT_EQ(request->retryCount(), 1);
  EXPECT_EQ(server.requestCount("/dropped"), 2u);
  EXPECT_EQ(delegate->count("failed"), 1);
}

TEST_F(ConnectionTest, AFailedConnectionLeavesThePool) {
  Reply dropped;
  dropped.fault = testsupport::Fault::kCloseAfterBytes;
  dropped.faultAfterBytes = 40;
  dropped.body = std::string(1000, 'x');
  server.route("GET", "/cut", dropped);
  auto request = get("/cut");
  EXPECT_TRUE(isRequestError(request->error(), HTTPRequestErrorCode::connectionFailure));
  EXPECT_EQ(request->connectionID(), std::nullopt);
  std::scoped_lock lock(ConnectionPool::shared().lock());
  for (const auto& record : ConnectionPool::shared().records()) EXPECT_NE(record->port, server.port());
}

TEST(ConnectionPoolTest, ReuseRuleMatchesHostSchemeAndPortAsWritten) {
  auto& pool = ConnectionPool::shared();
  std::scoped_lock lock(pool.lock());
  const std::string host = "pool-test.invalid";
  auto now = foundation::Clock::current().now();
  auto noPort = pool.createRecord(host, "http", 0);
  auto port80 = pool.createRecord(host, "http", 80);
  auto later = pool.createRecord(host, "http", 80);
  EXPECT_EQ(pool.findIdleRecord(host, "http", 0), noPort);
  EXPECT_EQ(pool.findIdleRecord(host, "http", 80), later);  // the last idle match wins
  later->request = 7;
  EXPECT_EQ(pool.findIdleRecord(host, "http", 80), port80);  // in use: never shared
  EXPECT_EQ(pool.findIdleRecord(host, "https", 80), nullptr);

  EXPECT_FALSE(pool.keepsRecord(later, host, "http", 80, now));
  EXPECT_FALSE(pool.keepsRecord(noPort, host, "http", 80, now));
  EXPECT_TRUE(pool.keepsRecord(port80, host, "http", 80, now));
  port80->expires = now;
  EXPECT_FALSE(pool.keepsRecord(port80, host, "http", 80, now));
  EXPECT_EQ(pool.findIdleRecord(host, "http", 80), nullptr);  // the expired record left the pool

  noPort->expires = now - std::chrono::seconds(1);
  later->expires = now - std::chrono::seconds(1);
  pool.expireIdleRecords(now);
  EXPECT_EQ(pool.findIdleRecord(host, "http", 0), nullptr);
  later->request.reset();
  EXPECT_EQ(pool.findIdleRecord(host, "http", 80), later);  // it was in use, so it stayed
  pool.remove(later);
}

}  // namespace
}  // namespace http::test
