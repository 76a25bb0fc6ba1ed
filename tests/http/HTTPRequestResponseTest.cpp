#include <gtest/gtest.h>

#include "src/http/ConnectionPool.h"
#include "src/http/FormDataRequest.h"
#include "tests/http/EngineTestSupport.h"

namespace http::test {
namespace {

using testsupport::Reply;

TEST_F(EngineTest, AFormRequestNeverTakesAConnectionRecord) {
  server.route("GET", "/form", Reply::text("ok"));
  auto form = FormDataRequest::requestWithURL(server.url("/form"));
  form->setRequestMethod("GET");
  form->setDelegate(delegate);
  wakeMainLoopWhenFinished(*form);
  runToEnd(form);
  EXPECT_EQ(delegate->count("finished"), 1);
  EXPECT_EQ(form->requestID(), std::nullopt);
  EXPECT_EQ(form->connectionID(), std::nullopt);
  std::scoped_lock lock(ConnectionPool::shared().lock());
  for (const auto& record : ConnectionPool::shared().records()) EXPECT_NE(record->port, server.port());
}

TEST_F(EngineTest, ResponseCookiesAreNotStoredWithoutCookiePersistence) {
  server.route("GET", "/set", Reply::text("set").header("Set-Cookie", "kept=no; Path=/"));
  server.route("GET", "/next", Reply::text("next"));
  auto setter = makeRequest(server.url("/set"));
  setter->setUseCookiePersistence(false);
  runToEnd(setter);
  EXPECT_EQ(setter->responseCookies().size(), 1u);
  delegate = std::make_shared<RecordingDelegate>();
  auto next = makeRequest(server.url("/next"));
  runToEnd(next);
  EXPECT_EQ(server.requests().back().header("Cookie"), std::nullopt);
}

TEST_F(EngineTest, Statuses300And305AreNotFollowed) {
  server.route("GET", "/300", Reply::text("choices", 300).header("Location", "/elsewhere"));
  server.route("GET", "/305", Reply::text("use proxy", 305).header("Location", "/elsewhere"));
  for (const char* path : {"/300", "/305"}) {
    delegate = std::make_shared<RecordingDelegate>();
    auto request = makeRequest(server.url(path));
    runToEnd(request);
    EXPECT_EQ(delegate->count("finished"), 1) << path;
    EXPECT_EQ(request->responseStatusCode(), std::stoi(path + 1)) << path;
  }
  EXPECT_EQ(server.requestCount("/elsewhere"), 0u);
}

}  // namespace
}  // namespace http::test
