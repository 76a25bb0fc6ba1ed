#include <gtest/gtest.h>

#include "src/api/models/ArtistModel.h"
#include "src/api/models/PalbumModel.h"
#include "src/api/models/SAlbumModel.h"
#include "src/api/models/ThirdAccountModel.h"
#include "src/api/requests/ApiRequests.h"
#include "tests/api/requests/ApiRequestTestSupport.h"

namespace api {
namespace {

using foundation::Dictionary;
using foundation::Value;

class EndpointRequestsTest : public apitest::ApiRequestTest {};

TEST_F(EndpointRequestsTest, EachClassCallsItsMethodByItsVerb) {
  call<PlayChannelRequest>({{"channel_id", "11"}});
  call<PlayNowChannelsRequest>();
  call<ListCollectProgramsRequest>({{"uid", "5821"}, {"_pn", "1"}, {"_sz", "21"}});
  call<ListRadioChannelsRequest>();
  const std::vector<station::StationCall> calls = api.calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].path, "/api/play.playChannel.json");
  EXPECT_EQ(calls[0].httpMethod, "GET");
  EXPECT_EQ(calls[0].queryValue("channel_id"), "11");
  EXPECT_EQ(calls[1].path, "/api/play.playNowChannels.json");
  EXPECT_EQ(calls[1].httpMethod, "POST");
  EXPECT_EQ(calls[1].formValue("device"), "Linux 6.1.0");
  EXPECT_EQ(calls[2].httpMethod, "POST");
  EXPECT_EQ(calls[2].formValue("_sz"), "21");
  EXPECT_TRUE(calls[2].rawQuery.empty());
  EXPECT_EQ(calls[3].httpMethod, "GET");

  EXPECT_EQ(BaseDataRequest::urlForMethod("call"), api.baseUrl() + "/api/call");
  EXPECT_EQ(PlayProgramRequest().getRequestUrl(), api.baseUrl() + "/api/play.playProgram.json?");
}

TEST_F(EndpointRequestsTest, ThePlayPatternFilesTheProgrammeWithItsUserAndSongs) {
  call<PlayChannelRequest>({{"channel_id", "11"}});
  auto programme = delegate->resultDic["program"].objectAs<ProgramModel>();
  ASSERT_TRUE(programme);
  EXPECT_EQ(programme->programName(), "午后的慵懒时光");
  EXPECT_EQ(programme->creatorUid(), "5821");  // a number in the reply
  ASSERT_TRUE(programme->user());
  EXPECT_EQ(programme->user()->uname(), "小鹿DJ");
  ASSERT_EQ(programme->songsArr().size(), 3u);
  EXPECT_EQ(programme->songsArr()[1]->songId(), "88002");
  EXPECT_EQ(programme->songsArr()[2]->songName(), "小幸运");
  EXPECT_EQ(delegate->resultDic["err"], Value("hapn.ok"));  // the reply stays beside it

  api.answerWithBody("play.playProgram", R"({"err":"hapn.ok","data":{"program":{"program_id":"1"}}})");
  call<PlayProgramRequest>({{"program_id", "1"}});
  EXPECT_FALSE(delegate->resultDic.contains("program"));
}

TEST_F(EndpointRequestsTest, TheListPatternLeavesExactlyTheArrayAndTheTotal) {
  call<ListChannelProgramsRequest>({{"channel_id", "11"}, {"_pn", "1"}, {"_sz", "21"}});
  EXPECT_EQ(delegate->resultDic.keys(), (std::vector<std::string>{kKeyArray, kKeyTotal}));
  EXPECT_EQ(delegate->resultDic[kKeyTotal], Value("57"));
  auto programmes = modelsAt<ProgramModel>(delegate->resultDic[kKeyArray]);
  ASSERT_EQ(programmes.size(), 3u);
  EXPECT_EQ(programmes[0]->user()->uname(), "小鹿DJ");
  ASSERT_EQ(programmes[0]->channelArr().size(), 2u);
  EXPECT_EQ(programmes[0]->channelArr()[1]->channelId(), "14");
  EXPECT_EQ(programmes[0]->coverNumber(), Value(3));
  EXPECT_EQ(programmes[0]->coverPics().size(), 3u);
  EXPECT_TRUE(programmes[1]->channelArr().empty());
  EXPECT_EQ(programmes[1]->programId(), "10245");

  call<ListCollectProgramsRequest>({{"uid", "5821"}});
  EXPECT_EQ(delegate->resultDic["err"], Value("hapn.ok"));  // this one adds to the reply
  auto collected = modelsAt<ProgramModel>(delegate->resultDic[kKeyArray]);
  ASSERT_EQ(collected.size(), 1u);
  EXPECT_EQ(collected[0]->fav(), "1");
  EXPECT_EQ(delegate->resultDic[kKeyTotal], Value(1));
}

TEST_F(EndpointRequestsTest, AServerErrorCodeReachesTheFinishCallbackWithTheReplyUntouched) {
  api.answerWithErr("radio.listChannelPrograms", kErrLoginExpired);
  call<ListChannelProgramsRequest>({{"channel_id", "11"}});
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"start", "finish"}));
  EXPECT_EQ(delegate->resultDic["err"], Value(kErrLoginExpired));
  EXPECT_FALSE(delegate->resultDic.contains(kKeyArray));
}

TEST_F(EndpointRequestsTest, DetailRepliesDressTheirModels) {
  call<GetProgramDetailRequest>({{"program_id", "10231"}});
  auto programme = delegate->resultDic["program"].objectAs<ProgramModel>();
  ASSERT_TRUE(programme);
  EXPECT_EQ(programme->songsArr().size(), 2u);
  EXPECT_EQ(programme->getAllSongsFileSize(), (4210 + 5334) * 1024);
  EXPECT_EQ(programme->channelArr().size(), 1u);
  EXPECT_EQ(programme->user()->priCreateProgram(), "1");
  EXPECT_EQ(programme->picArr().size(), 2u);
  EXPECT_EQ(programme->coverNumber(), Value(2));

  call<GetSAlbumDetailRequest>({{"salbum_id", "7701"}, {"_sz", "100"}});
  auto album = delegate->resultDic[kKeyArray].objectAs<SAlbumModel>();
  ASSERT_TRUE(album);
  EXPECT_EQ(album->salbumName(), "叶惠美");
  EXPECT_EQ(album->songsArr().size(), 2u);
  EXPECT_EQ(album->picUrlS().size(), 1u);
}

TEST_F(EndpointRequestsTest, SearchAllKeepsTheReplyOrderAndSkipsUnknownTypes) {
  call<AllRequest>({{"keyword", "周杰伦"}});
  const foundation::Array& hits = *delegate->resultDic[kKeyArray].getArray();
  ASSERT_EQ(hits.size(), 4u);
  EXPECT_TRUE(hits[0].objectAs<SongModel>());
  auto programme = hits[1].objectAs<ProgramModel>();  // "_type" sent as text
  ASSERT_TRUE(programme);
  EXPECT_EQ(programme->user()->uid(), "5821");
  EXPECT_EQ(programme->channelArr().size(), 1u);
  EXPECT_TRUE(hits[2].objectAs<SAlbumModel>());
  EXPECT_EQ(hits[3].objectAs<ArtistModel>()->enName(), "Jay Chou");
}

TEST_F(EndpointRequestsTest, EditsReportSuccessTheirOwnWay) {
  call<EditPAlbumRequest>({{"palbum_id", "601"}, {"palbum_name", "旅行"}});
  EXPECT_EQ(delegate->resultDic["err"], Value("ok"));
  call<AppendSAlbum2programRequest>({{"program_id", "1"}, {"salbum_id", "7701"}});
  EXPECT_EQ(delegate->resultDic["err"], Value(kErrOk));
  EXPECT_EQ(delegate->resultDic["ok"], Value("ok"));

  api.answerWithErr("radio._appendSAlbum", kErrDuplicateSong);
  call<AppendSAlbum2programRequest>({{"program_id", "1"}, {"salbum_id", "7701"}});
  EXPECT_EQ(delegate->resultDic["err"], Value(kErrDuplicateSong));
  EXPECT_FALSE(delegate->resultDic.contains("ok"));

  api.answerWithBody("photo._addPAlbum", R"({"err":"hapn.ok","data":602})");
  call<AddPAlbumRequest>({{"palbum_name", "猫咪日常"}});
  EXPECT_EQ(delegate->resultDic["pAlbumId"], Value("602"));
}

TEST_F(EndpointRequestsTest, LoginFilesTheUserAndLoginIdOnlyWhenBothCame) {
  call<LoginRequest>({{"email", "xiaolu@example.com"}, {"passwd", "secret"}});
  auto user = delegate->resultDic["user"].objectAs<UserModel>();
  ASSERT_TRUE(user);
  EXPECT_EQ(user->userType(), "2");
  EXPECT_EQ(delegate->resultDic["luid"], Value("c2VjcmV0LWx1aWQtNTgyMQ"));
  EXPECT_EQ(api.calls().back().formValue("passwd"), "secret");

  api.answerWithBody("user._login", R"({"err":"hapn.ok","data":{"user":{"uid":"1"}}})");
  call<LoginRequest>();
  EXPECT_FALSE(delegate->resultDic.contains("user"));
}

TEST_F(EndpointRequestsTest, ListsOfOtherModelsAreFiledUnderTheirKeys) {
  call<ListArtistSongsRequest>({{"artist_id", "301"}});
  EXPECT_EQ(delegate->resultDic[kKeyTotal], Value(163));
  EXPECT_EQ(modelsAt<SongModel>(delegate->resultDic[kKeyArray])[2]->salbumsName(), "魔杰座");

  call<ListUserPAlbumRequest>({{"uid", "5821"}});
  auto albums = modelsAt<PalbumModel>(delegate->resultDic[kKeyArray]);
  ASSERT_EQ(albums.size(), 2u);
  EXPECT_EQ(albums[1]->picNum(), "9");
  EXPECT_EQ(albums[1]->user()->uname(), "小鹿DJ");

  call<ListThirdAccountsRequest>();
  auto accounts = modelsAt<ThirdAccountModel>(delegate->resultDic["thirdAccounts"]);
  ASSERT_EQ(accounts.size(), 2u);
  EXPECT_EQ(accounts[0]->expires(), "1400000000");

  call<GetAdPlanRequest>();
  EXPECT_EQ(delegate->resultDic["perCount"], Value(5));
  EXPECT_EQ(delegate->resultDic["ads"].getArray()->size(), 2u);
}

TEST_F(EndpointRequestsTest, OwnProgrammesByGroupComeWithoutTheirChannels) {
  const char* reply = R"({"err":"hapn.ok","data":{"total":"2","lists":[
      {"program_id":"1","channels":[{"channel_id":"11"}],"cover":{"num":1,"pics":["c.jpg"]}},{"program_id":"2"}]}})";
  api.answerWithBody("radio.listMyPrograms", reply);
  call<ListMyProgramsByGroupRequest>({{"_sz", "1000"}});
  auto grouped = modelsAt<ProgramModel>(delegate->resultDic["programsArray"]);
  ASSERT_EQ(grouped.size(), 2u);
  EXPECT_TRUE(grouped[0]->channelArr().empty());
  EXPECT_EQ(grouped[0]->coverPics().size(), 1u);
  EXPECT_EQ(delegate->resultDic["total"], Value("2"));
  EXPECT_EQ(delegate->resultDic[kKeyTotal], Value("2"));

  call<ListMyProgramsRequest>({{"uid", "5821"}});
  auto own = modelsAt<ProgramModel>(delegate->resultDic[kKeyArray]);
  ASSERT_EQ(own.size(), 2u);
  EXPECT_EQ(own[0]->channelArr().size(), 1u);
  EXPECT_EQ(delegate->resultDic["err"], Value("hapn.ok"));
}

TEST_F(EndpointRequestsTest, ATopLevelArrayReplyReachesTheResultStepUnderData) {
  call<ListRadioChannelsRequest>();
  EXPECT_EQ(modelsAt<ChannelModel>(delegate->resultDic[kKeyArray]).size(), 2u);

  api.answerWithBody("radio.listRadioChannels", R"([{"channel_id":"11"},{"channel_id":"12"},{"channel_id":"13"}])");
  call<ListRadioChannelsRequest>();
  EXPECT_EQ(delegate->events.back(), "finish");
  EXPECT_EQ(delegate->resultDic["data"].getArray()->size(), 3u);
  EXPECT_FALSE(delegate->resultDic.contains(kKeyArray));  // no "err": the gate stays shut
}

}  // namespace
}  // namespace api
