#include <gtest/gtest.h>

#include "src/api/requests/ApiRequests.h"
#include "tests/api/requests/ApiRequestTestSupport.h"

namespace api {
namespace {

using foundation::Value;

// Replies whose nested values have the wrong types: every step treats them as missing.
class HostileReplyTest : public apitest::ApiRequestTest {};

TEST_F(HostileReplyTest, ThePlayPatternSurvivesWrongTypes) {
  api.answerWithBody(
      "play.playChannel",
      R"({"err":"hapn.ok","data":{"program":"10231","songs":[{"song_id":"1"},7,null,"x",{"song_id":2}]}})");
  call<PlayChannelRequest>();
  auto programme = delegate->resultDic["program"].objectAs<ProgramModel>();
  ASSERT_TRUE(programme);
  EXPECT_FALSE(programme->programId());
  ASSERT_TRUE(programme->user());
  ASSERT_EQ(programme->songsArr().size(), 2u);
  EXPECT_EQ(programme->songsArr()[1]->songId(), "2");

  api.answerWithBody("play.playChannel", R"({"err":"hapn.ok","data":["program","songs"]})");
  call<PlayChannelRequest>();
  EXPECT_FALSE(delegate->resultDic.contains("program"));
  EXPECT_EQ(delegate->events.back(), "finish");
}

TEST_F(HostileReplyTest, TheListPatternSurvivesWrongTypes) {
  api.answerWithBody("radio.listChannelPrograms", R"({"err":"hapn.ok","data":{"total":3,"lists":[
      {"program_id":"1","user":["not","a","user"],"channels":{"channel_id":"11"},"cover":7},
      {"program_id":"2","user":null,"channels":[1,{"channel_id":"12"}],"cover":{"num":{"x":1},"pics":"a.jpg"}},
      "garbage", 12, null]}})");
  call<ListChannelProgramsRequest>();
  auto programmes = modelsAt<ProgramModel>(delegate->resultDic[kKeyArray]);
  ASSERT_EQ(programmes.size(), 2u);
  ASSERT_TRUE(programmes[0]->user());
  EXPECT_FALSE(programmes[0]->user()->uid());
  EXPECT_TRUE(programmes[0]->channelArr().empty());
  EXPECT_TRUE(programmes[0]->coverNumber().isNull());
  EXPECT_TRUE(programmes[0]->coverPics().empty());
  ASSERT_EQ(programmes[1]->channelArr().size(), 1u);
  EXPECT_EQ(programmes[1]->channelArr()[0]->channelId(), "12");
  EXPECT_TRUE(programmes[1]->coverPics().empty());

  api.answerWithBody("radio.listChannelPrograms", R"({"err":"hapn.ok","data":{"lists":{"0":{}}}})");
  call<ListChannelProgramsRequest>();
  EXPECT_EQ(delegate->resultDic["err"], Value("hapn.ok"));  // left as it came
  EXPECT_FALSE(delegate->resultDic.contains(kKeyArray));
}

TEST_F(HostileReplyTest, OtherStepsSurviveMissingAndWrongData) {
  const char* broken[] = {R"({"err":"hapn.ok"})", R"({"err":"hapn.ok","data":null})", R"({"err":"hapn.ok","data":"x"})",
                          R"({"err":"hapn.ok","data":[1,[2],{"lists":3}]})", R"({"err":7,"data":{}})"};
  for (const char* reply : broken) {
    SCOPED_TRACE(reply);
    for (const char* method : {"radio.getProgramDetail", "item.getSAlbumDetail", "search.all", "user._login",
                               "radio._editProgram", "photo._addPAlbum", "play.getPlayedPrograms", "play.getAdPlan",
                               "radio.listMyPrograms", "radio.listProgramAuditLogs", "item.getGenres", "other._check"})
      api.answerWithBody(method, reply);
    call<GetProgramDetailRequest>();
    call<GetSAlbumDetailRequest>();
    call<AllRequest>();
    call<LoginRequest>();
    call<EditProgramRequest>();
    call<AddPAlbumRequest>();
    EXPECT_FALSE(delegate->resultDic.contains("pAlbumId") && !delegate->resultDic["pAlbumId"].isString());
    call<ListenHistoryRequest>();
    call<GetAdPlanRequest>();
    call<ListMyProgramsRequest>();
    call<ListProgramAuditLogsRequest>();
    call<GetGenresRequest>();
    call<CheckRequest>();
    EXPECT_EQ(delegate->events.back(), "finish");
  }
  EXPECT_EQ(api.callCount(), 12u * std::size(broken));
}

}  // namespace
}  // namespace api
