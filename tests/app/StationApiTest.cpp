#include <gtest/gtest.h>

#include "app/station/StationApi.h"
#include "platform/foundation/Json.h"

namespace {

using foundation::Value;

net::LocalRequest formPost(const std::string& method, const std::string& body) {
  return {"POST", "/api/" + method, "", {{"Content-Type", "application/x-www-form-urlencoded"}}, body};
}

Value replyOf(const net::LocalReply& reply) { return foundation::Json::parse(reply.body).value(); }

TEST(StationApiTest, ABatchGathersTheDataOfEachMethodsOwnAnswerInOrder) {
  station::StationApi api("http://127.0.0.1:1", "", station::CallRecording::on);
  const Value program = replyOf(api.handle(formPost("play.playProgram.json", "program_id=1002")));
  ASSERT_EQ(program["err"], Value("hapn.ok"));
  api.answer("play.getAdPlan", [](const station::StationCall& call) {
    return station::StationApi::jsonReply(R"({"err":"hapn.ok","data":{"asked":")" + call.method + "\"}}");
  });

  const Value batch = replyOf(api.handle(formPost(
      "call", R"(js_methods=[{"name":"play.playProgram","args":{"program_id":"1002"}},{"name":"play.getAdPlan"},)"
              R"({"name":"no.such"}])")));
  EXPECT_EQ(batch["err"], Value("hapn.ok"));
  ASSERT_TRUE(batch["data"].isArray());
  const foundation::Array& results = *batch["data"].getArray();
  ASSERT_EQ(results.size(), 3u);
  EXPECT_EQ(results[0], program["data"]);
  EXPECT_EQ(results[1]["asked"], Value("play.getAdPlan"));
  EXPECT_EQ(results[2], Value(foundation::Dictionary{}));
  EXPECT_EQ(api.callCount(), 2u);  // the batch is one call

  const net::LocalReply malformed = api.handle(formPost("call", "js_methods=[{\"name\""));
  EXPECT_EQ(replyOf(malformed)["err"], Value("hapn.u_param"));
  const net::LocalReply unknown = api.handle(formPost("no.such.json", ""));
  EXPECT_EQ(unknown.status, 404);
  EXPECT_EQ(replyOf(unknown)["err"], Value("hapn.u_method"));
}

}  // namespace
