#include <gtest/gtest.h>

#include "platform/foundation/Paths.h"
#include "src/api/models/ProgramModel.h"
#include "src/api/models/RadioModel.h"
#include "src/api/requests/ApiRequests.h"
#include "src/http/HTTPRequest.h"
#include "tests/api/requests/ApiRequestTestSupport.h"
#include "tests/app/StationTestSupport.h"

namespace {

using foundation::Value;

class SampleStationTest : public apitest::ApiRequestTest {
 protected:
  void SetUp() override {
    ApiRequestTest::SetUp();
    media = apptest::writeStandInMedia(std::filesystem::path(foundation::Paths::homeDirectory()) / "media");
    station = std::make_unique<station::SampleStation>(media, station::CallRecording::on);
    ASSERT_TRUE(station->start().ok());
    api::BaseDataRequest::setApiBaseUrl(station->baseUrl() + "/");
  }

  api::ProgramModelPtr programOf(const foundation::Dictionary& result) {
    return result["program"].objectAs<api::ProgramModel>();
  }

  std::shared_ptr<http::HTTPRequest> fetch(const std::string& path, const std::string& range = "") {
    auto request = http::HTTPRequest::requestWithURL(station->baseUrl() + path);
    if (!range.empty()) request->addRequestHeader("Range", range);
    request->startSynchronous();
    return request;
  }

  std::string media;
  std::unique_ptr<station::SampleStation> station;
};

TEST_F(SampleStationTest, ThePlayerMethodsAnswerWithModelsTheRequestClassesUnderstand) {
  call<api::PlayNowChannelsRequest>();
  auto onAir = programOf(delegate->resultDic);
  ASSERT_TRUE(onAir);
  EXPECT_EQ(onAir->programName(), "清晨的第一杯茶");
  ASSERT_EQ(onAir->songsArr().size(), 3u);
  EXPECT_EQ(onAir->songsArr()[0]->songName(), "晨光");
  EXPECT_EQ(onAir->songsArr()[0]->getAudioPlayUrl("wifi网络"), station->baseUrl() + "/song/high/2001.mp3");

  std::vector<std::string> rotation;
  for (int i = 0; i < 4; ++i) {
    call<api::PlayChannelRequest>({{"channel_id", "12"}});
    rotation.push_back(programOf(delegate->resultDic)->programId().value_or(""));
  }
  EXPECT_EQ(rotation, (std::vector<std::string>{"1004", "1003", "1004", "1003"}));

  call<api::GetProgramDetailRequest>({{"program_id", "1003"}});
  EXPECT_EQ(programOf(delegate->resultDic)->channelArr().size(), 2u);
  call<api::PlayProgramRequest>({{"program_id", "9999"}});
  EXPECT_EQ(delegate->resultDic["err"], Value("hapn.u_notfound"));

  call<api::GetAdPlanRequest>();
  EXPECT_EQ(delegate->resultDic["perCount"], Value(3));
  const foundation::Dictionary* advert = delegate->resultDic["ads"].getArray()->front().getDictionary();
  EXPECT_EQ((*advert)["ad"], Value(station->baseUrl() + "/ad/advert.mp3"));
  EXPECT_TRUE(advert->contains("img") && advert->contains("link"));

  call<api::ListAllChannelsRequest>();
  EXPECT_EQ(delegate->resultDic["radioArray"].getArray()->size(), 2u);
}

TEST_F(SampleStationTest, FilesAreServedWholeOrByRangeUnderEveryNetworkKind) {
  const std::string song = "stand-in song-2s.mp3 " + std::string(200, 'x');
  for (const std::string path :
       {"/song/2001.mp3", "/song/high/2001.mp3", "/song/medium/2001.mp3", "/song/log/2001.mp3"}) {
    auto whole = fetch(path);
    EXPECT_EQ(whole->responseStatusCode(), 200) << path;
    EXPECT_EQ(whole->responseString(), song) << path;
  }
  auto part = fetch("/song/2005.mp3", "bytes=9-19");
  EXPECT_EQ(part->responseStatusCode(), 206);
  EXPECT_EQ(part->responseString(), "song-3s.mp3");
  EXPECT_EQ(fetch("/song/2005.mp3", "bytes=-3")->responseString(), "xxx");
  net::LocalRequest pastTheEnd;
  pastTheEnd.headers = {{"range", "bytes=5000-"}};
  const net::LocalReply refused = net::LocalReply::ranged(pastTheEnd, song, "audio/mpeg");
  EXPECT_EQ(refused.status, 416);
  EXPECT_EQ(refused.headers.back(),
            (std::pair<std::string, std::string>("Content-Range", "bytes */" + std::to_string(song.size()))));
  EXPECT_EQ(fetch("/ad/advert.mp3", "bytes=0-7")->responseString(), "stand-in");

  EXPECT_EQ(fetch("/img/cover-2.jpg!medium2")->responseString()->substr(0, 20), "stand-in cover-2.jpg");
  EXPECT_EQ(fetch("/img/advert.jpg!small1")->responseStatusCode(), 200);
  EXPECT_EQ(fetch("/song/9999.mp3")->responseStatusCode(), 404);
  EXPECT_EQ(fetch("/song/other/2001.mp3")->responseStatusCode(), 404);
  EXPECT_EQ(fetch("/img/../song-2s.mp3")->responseStatusCode(), 404);
}

TEST_F(SampleStationTest, PlayLogsAndAccountCallsAreRecordedAndAnswered) {
  call<api::PlayLogRequest>({{"song_id", "2001"}, {"action", "0"}, {"real_duration", "2"}});
  call<api::PlayLogRequest>({{"js_logs", R"([{"song_id":"2002","time":"1400000000"},{"song_id":"2003"}])"}});
  const std::vector<station::StationCall> logs = station->playLogs();
  ASSERT_EQ(logs.size(), 3u);
  EXPECT_EQ(logs[0].field("real_duration"), "2");
  EXPECT_EQ(logs[1].field("song_id"), "2002");
  EXPECT_EQ(logs[2].field("batch"), "1");

  call<api::LoginRequest>({{"email", "listener@example.com"}, {"passwd", "secret"}});
  EXPECT_EQ(delegate->resultDic["err"], Value("hapn.ok"));
  call<api::LoginRequest>({{"email", "nobody"}, {"passwd", ""}});
  EXPECT_EQ(delegate->resultDic["err"], Value("user.u_login"));

  call<api::AddCollectionRequst>({{"program_id", "1002"}, {"sync", "1"}});
  call<api::ListSubscriptionStatusRequest>({{"sync", "1"}});
  EXPECT_EQ(delegate->resultDic["data"].getArray()->size(), 1u);
  call<api::DelCollectionRequest>({{"program_id", "1002"}});
  call<api::ListSubscriptionStatusRequest>({{"sync", "1"}});
  EXPECT_TRUE(delegate->resultDic["data"].getArray()->empty());
}

// The program's station answers alike but keeps nothing of a call: it serves for as long as the
// program plays.
TEST_F(SampleStationTest, AStationMadeAsTheProgramMakesItKeepsNoCall) {
  station::SampleStation quiet(media);
  ASSERT_TRUE(quiet.start().ok());
  api::BaseDataRequest::setApiBaseUrl(quiet.baseUrl() + "/");
  call<api::PlayLogRequest>({{"song_id", "2001"}, {"action", "0"}, {"real_duration", "2"}});
  EXPECT_EQ(delegate->resultDic["err"], Value("hapn.ok"));
  EXPECT_TRUE(quiet.calls().empty());
  EXPECT_TRUE(quiet.playLogs().empty());
}

TEST(SampleStationMediaTest, AMissingSampleFileIsNamedAtStart) {
  station::SampleStation station("/nonexistent-media-folder");
  const foundation::Status started = station.start();
  ASSERT_FALSE(started.ok());
  EXPECT_NE(started.error()->description().find("song-2s.mp3"), std::string::npos);
}

}  // namespace
