#include <gtest/gtest.h>

#include "src/api/requests/ApiRequest.h"
#include "tests/api/requests/ApiRequestTestSupport.h"

namespace api {
namespace {

class GenericApiRequestTest : public apitest::ApiRequestTest {
 protected:
  // Posts user._subscribe and runs until the reply was handled and the request let go.
  std::weak_ptr<ApiRequest> post() {
    auto request = ApiRequest::userApi("_subscribe");
    std::weak_ptr<ApiRequest> weak = request;
    request->postWithParameters(
        {{"program_id", "7"}}, [this](ApiRequest&) { ++oks; }, [this](ApiRequest&) { ++fails; });
    request.reset();
    EXPECT_TRUE(runUntil([&] { return weak.expired(); })) << "the request was never let go";
    return weak;
  }

  int oks = 0;
  int fails = 0;
};

TEST_F(GenericApiRequestTest, PostsTheFormToTheModuleMethodAndRunsTheBlockTheErrChooses) {
  api.answerWithBody("user._subscribe", R"({"err":"hapn.ok","data":{}})");
  post();
  EXPECT_EQ(oks, 1);
  EXPECT_EQ(fails, 0);
  auto calls = api.callsTo("user._subscribe");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].httpMethod, "POST");
  EXPECT_EQ(calls[0].path, "/api/user._subscribe.json");
  EXPECT_EQ(calls[0].rawQuery, "");
  EXPECT_EQ(calls[0].formValue("program_id"), "7");

  for (const char* err : {"hapn.u_login", "radio.u_other"}) {
    api.answerWithErr("user._subscribe", err);
    post();
  }
  EXPECT_EQ(oks, 1);
  EXPECT_EQ(fails, 2);
}

TEST_F(GenericApiRequestTest, TransportFailuresAndUnreadableRepliesReachNeitherBlock) {
  api.dropConnection("user._subscribe");
  post();
  api.answerWithBody("user._subscribe", "<html>busy</html>");
  post();
  api.answerWithStatus("user._subscribe", 500);
  post();
  EXPECT_EQ(oks + fails, 0);
  EXPECT_EQ(labelsWithText(*host, "当前无网络，请稍后再试！"), 0);
}

TEST_F(GenericApiRequestTest, EveryModuleHasItsFactory) {
  EXPECT_EQ(ApiRequest::radioApi("_auditProgram")->getRequestUrl(), api.baseUrl() + "/api/radio._auditProgram.json");
  EXPECT_EQ(ApiRequest::itemApi("x")->mod(), "item");
  EXPECT_EQ(ApiRequest::searchApi("x")->mod(), "search");
  EXPECT_EQ(ApiRequest::otherApi("x")->mod(), "other");
  EXPECT_EQ(ApiRequest::playApi("x")->mod(), "play");
  EXPECT_EQ(ApiRequest::playApi("x")->getRequestMethod(), 1);
}

}  // namespace
}  // namespace api
