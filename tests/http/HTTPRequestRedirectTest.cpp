#include <gtest/gtest.h>

#include "tests/http/EngineTestSupport.h"

namespace http::test {
namespace {

using testsupport::RecordedRequest;
using testsupport::Reply;

class RedirectTest : public EngineTest {
 protected:
  // A POST with a body and two headers of the caller to `path`.
  std::shared_ptr<HTTPRequest> post(const std::string& path) {
    auto request = makeRequest(server.url(path));
    request->appendPostData(bytesOf("payload"));
    request->addRequestHeader("Accept", "text/plain");
    request->addRequestHeader("X-Custom", "1");
    request->setUserAgentString("Agent/1");
    return request;
  }
};

TEST_F(RedirectTest, PostAnswered302IsRepeatedAsAGetWithoutBody) {
  server.route("POST", "/form", Reply::redirect(302, "/result"));
  server.route("GET", "/result", Reply::text("result"));
  auto request = post("/form");
  runToEnd(request);
  EXPECT_EQ(request->responseString(), "result");
  EXPECT_EQ(request->url(), server.url("/result"));
  EXPECT_EQ(request->originalURL(), server.url("/form"));
  EXPECT_EQ(request->redirectCount(), 1);
  EXPECT_EQ(delegate->events,
            (std::vector<std::string>{"started", "redirected", "headers", "started", "headers", "finished"}));
  RecordedRequest second = server.requests().at(1);
  EXPECT_EQ(second.method, "GET");
  EXPECT_EQ(second.bodySize, 0u);
  EXPECT_EQ(second.header("Accept"), "text/plain");
  EXPECT_EQ(second.header("User-Agent"), "Agent/1");
  EXPECT_EQ(second.header("X-Custom"), std::nullopt);
  EXPECT_EQ(second.header("Content-Length"), std::nullopt);
}

TEST_F(RedirectTest, A307KeepsMethodBodyAndHeaders) {
  server.route("POST", "/form", Reply::redirect(307, "/again"));
  server.route("POST", "/again", Reply::text("again"));
  auto request = post("/form");
  runToEnd(request);
  EXPECT_EQ(request->responseString(), "again");
  RecordedRequest second = server.requests().at(1);
  EXPECT_EQ(second.method, "POST");
  EXPECT_EQ(second.body, "payload");
  EXPECT_EQ(second.header("X-Custom"), "1");
}

TEST_F(RedirectTest, RFC2616BehaviourKeeps301ButA303AlwaysBecomesAGet) {
  server.route("POST", "/moved", Reply::redirect(301, "/target"));
  server.route("POST", "/target", Reply::text("kept"));
  server.route("POST", "/other", Reply::redirect(303, "/see"));
  server.route("GET", "/see", Reply::text("seen"));
  auto kept = post("/moved");
  kept->setShouldUseRFC2616RedirectBehaviour(true);
  runToEnd(kept);
  EXPECT_EQ(kept->responseString(), "kept");

  delegate = std::make_shared<RecordingDelegate>();
  auto seen = post("/other");
  seen->setShouldUseRFC2616RedirectBehaviour(true);
  runToEnd(seen);
  EXPECT_EQ(seen->responseString(), "seen");
  EXPECT_EQ(server.requests().back().method, "GET");
}

TEST_F(RedirectTest, RelativeLocationIsResolvedAgainstTheCurrentURL) {
  server.route("GET", "/dir/page", Reply::redirect(301, "next?q=1"));
  server.route("GET", "/dir/next", Reply::text("next"));
  auto request = makeRequest(server.url("/dir/page"));
  runToEnd(request);
  EXPECT_EQ(request->responseString(), "next");
  EXPECT_EQ(request->url(), server.url("/dir/next?q=1"));
}

TEST_F(RedirectTest, FiveRedirectsAreFollowedTheSixthFails) {
  server.redirectChain("/five", 5, Reply::text("end"));
  server.redirectChain("/six", 6, Reply::text("end"));
  auto five = makeRequest(server.url("/five"));
  runToEnd(five);
  EXPECT_EQ(five->responseString(), "end");
  EXPECT_EQ(five->redirectCount(), 5);
  EXPECT_EQ(delegate->count("started"), 6);

  delegate = std::make_shared<RecordingDelegate>();
  auto six = makeRequest(server.url("/six"));
  runToEnd(six);
  ASSERT_NE(delegate->failure, nullptr);
  EXPECT_TRUE(isRequestError(delegate->failure, HTTPRequestErrorCode::tooManyRedirects));
  EXPECT_EQ(delegate->failure->description(), "The request failed because it redirected too many times");
  EXPECT_EQ(server.requestCount(), 6u + 6u);
}

TEST_F(RedirectTest, RedirectToANonHTTPURLFailsAsABadRequest) {
  server.route("GET", "/ftp", Reply::redirect(302, "ftp://example.invalid/file"));
  auto request = makeRequest(server.url("/ftp"));
  runToEnd(request);
  EXPECT_TRUE(isRequestError(request->error(), HTTPRequestErrorCode::unableToCreateRequest));
}

TEST_F(RedirectTest, StatusesThatAreNotFollowedFinishNormally) {
  server.route("GET", "/304", [](const RecordedRequest&) {
    Reply reply;
    reply.status = 304;
    reply.noBody = true;
    return reply.header("Location", "/elsewhere");
  });
  server.route("GET", "/301", Reply::text("no location", 301));
  for (const char* path : {"/304", "/301"}) {
    delegate = std::make_shared<RecordingDelegate>();
    auto request = makeRequest(server.url(path));
    runToEnd(request);
    EXPECT_EQ(delegate->count("finished"), 1) << path;
    EXPECT_EQ(request->redirectCount(), 0) << path;
  }
  EXPECT_EQ(server.requestCount("/elsewhere"), 0u);
}

TEST_F(RedirectTest, ADelegateThatConfirmsRedirectsHoldsTheRequestUntilTold) {
  server.route("GET", "/ask", Reply::redirect(302, "/answer"));
  server.route("GET", "/answer", Reply::text("answer"));
  server.route("GET", "/chosen", Reply::text("chosen"));
  delegate->confirmsRedirects = true;
  auto request = makeRequest(server.url("/ask"));
  request->startAsynchronous();
  ASSERT_TRUE(runUntil([&] { return delegate->redirectTarget.has_value(); }));
  EXPECT_EQ(*delegate->redirectTarget, server.url("/answer"));
  EXPECT_TRUE(request->isExecuting());
  EXPECT_FALSE(delegate->ended());
  EXPECT_EQ(server.requestCount(), 1u);

  request->redirectToURL(server.url("/chosen"));
  ASSERT_TRUE(runUntil([&] { return delegate->ended() && request->isFinished(); }));
  EXPECT_EQ(request->responseString(), "chosen");
  EXPECT_EQ(server.requestCount("/answer"), 0u);
}

TEST_F(RedirectTest, ARequestWaitingForARedirectConfirmationCanBeCancelled) {
  server.route("GET", "/ask", Reply::redirect(302, "/answer"));
  delegate->confirmsRedirects = true;
  auto request = makeRequest(server.url("/ask"));
  request->startAsynchronous();
  ASSERT_TRUE(runUntil([&] { return delegate->redirectTarget.has_value(); }));
  request->cancel();
  ASSERT_TRUE(runUntil([&] { return delegate->ended() && request->isFinished(); }));
  EXPECT_TRUE(isRequestError(request->error(), HTTPRequestErrorCode::cancelled));
  request->redirectToURL(server.url("/answer"));  // too late: nothing more happens
  bool back = false;
  HTTPRequest::networkLoop().post([&back] { foundation::performOnMainThread([&back] { back = true; }); });
  ASSERT_TRUE(runUntil([&] { return back; }));
  EXPECT_EQ(server.requestCount("/answer"), 0u);
  EXPECT_EQ(delegate->count("failed"), 1);
}

TEST_F(RedirectTest, WithShouldRedirectOffTheRedirectIsTheAnswer) {
  server.route("GET", "/r", Reply::redirect(302, "/t"));
  auto request = makeRequest(server.url("/r"));
  request->setShouldRedirect(false);
  runToEnd(request);
  EXPECT_EQ(request->responseStatusCode(), 302);
  EXPECT_EQ(server.requestCount(), 1u);
}

}  // namespace
}  // namespace http::test
