#include "src/api/requests/ItemRequests.h"
#include "src/api/requests/PlayRequests.h"
#include "src/api/requests/RadioRequests.h"
#include "src/api/requests/UserRequests.h"
#include "src/playback/offline/DBManager.h"
#include "tests/playback/player/PlayerFixture.h"

namespace playertest {
namespace {

using playback::PlayerController;

std::vector<std::string> listedIds(const playback::AudioPlayerView& panel) {
  std::vector<std::string> ids;
  for (const auto& song : panel.musicListArray()) ids.push_back(song->songId().value_or(""));
  return ids;
}

TEST_F(PlayerTest, StartUpLoadsTheChannelOnAirWithoutPlaying) {
  auto& panel = startPanel();
  EXPECT_EQ(selectedId(), "1");
  EXPECT_FALSE(panel.isPlaying());
  EXPECT_TRUE(audio->items().empty());
  EXPECT_EQ(services::AppDelegate::sharedDelegate().getMainController()->app_ProgramId(), "500");
  EXPECT_TRUE(api::ListenHistoryRequest::ListListenHistoryProgram().empty());
  panel.playAnything();
  ASSERT_TRUE(audio->lastItem());
  EXPECT_EQ(audio->lastItem()->source(), "http://127.0.0.1:1/song/high/1.mp3") << "Wi-Fi streams the high quality";
}

TEST_F(PlayerTest, AStartBeforeTheMainPaneExistsIsNotUndoneByThePanelsOwnStart) {
  player().playSAlbum(nullptr, songs({"first"}), std::nullopt);
  ASSERT_TRUE(runUntil([&] { return api.callsTo("play.playNowChannels").size() == 1 && liveRequests().empty(); }));
  EXPECT_EQ(selectedId(), "first");
  EXPECT_TRUE(player().isPlaying());
}

TEST_F(PlayerTest, StartSongRules) {
  auto& panel = startPanel();
  auto programme = std::make_shared<api::ProgramModel>();
  programme->setProgramId("9");
  panel.playProgram(programme, songs({"a", "b", "c"}), std::string("b"), std::nullopt);
  EXPECT_EQ(selectedId(), "b");
  panel.playProgram(programme, songs({"a", "b"}), std::string("zz"), std::nullopt);
  EXPECT_EQ(selectedId(), "a");
  panel.playProgram(programme, songs({"a", "b"}), std::string(""), std::nullopt);
  EXPECT_EQ(selectedId(), "a");
  EXPECT_EQ(api::ListenHistoryRequest::ListListenHistoryProgram().size(), 1u);

  const std::size_t items = audio->items().size();
  panel.playSAlbum(std::make_shared<api::SAlbumModel>(), {}, std::nullopt);
  EXPECT_EQ(selectedId(), "") << "an empty list selects nothing";
  EXPECT_EQ(audio->items().size(), items) << "and plays nothing";
  EXPECT_EQ(keyWindowLabels(PlayerController::kEmptyListToast), 1) << "said as the list arrives";
  panel.playAnything();
  EXPECT_EQ(keyWindowLabels(PlayerController::kEmptyListToast), 2);
}

TEST_F(PlayerTest, ProgrammeSourceRule) {
  auto& panel = startPanel();
  api.answerWithBody("play.playProgram", programmeReply("20", {"x", "y"}));
  panel.playProgram("20", std::nullopt);
  ASSERT_TRUE(runUntil([&] { return selectedId() == "x"; })) << "online: fetched";

  auto stored = std::make_shared<api::ProgramModel>();
  stored->setProgramId("30");
  stored->setSongsArr(songs({"s1"}));
  ASSERT_TRUE(playback::DBManager::sharedManager().insertProgram(stored));
  services::AppDelegate::sharedDelegate().setIsOffline(true);
  panel.playProgram("30", std::nullopt);
  EXPECT_EQ(selectedId(), "s1") << "offline: the stored copy at once";
  panel.playProgram("31", std::nullopt);
  EXPECT_TRUE(panel.musicListArray().empty()) << "offline without a copy: nothing";
  EXPECT_EQ(api.callsTo("play.playProgram").size(), 1u);

  services::AppDelegate::sharedDelegate().setIsOffline(false);
  api.answerWithErr("play.playProgram", "hapn.fail");
  panel.playProgram("40", std::nullopt);
  ASSERT_TRUE(runUntil([&] { return keyWindowLabels(PlayerController::kProgrammeFailedToast) == 1; }))
      << "a refused reply is a failure";
}

TEST_F(PlayerTest, ALaterStartSupersedesEarlierRepliesAndRetries) {
  auto& panel = startPanel();
  testsupport::Reply held = testsupport::Reply::text(programmeReply("77", {"b1"}));
  held.header("Content-Type", "application/json");
  held.holdUntilReleased = "channel";
  api.answer("play.playChannel", held);
  panel.playChannel("A");
  panel.playChannel("B");
  ASSERT_TRUE(runUntil([&] { return api.callsTo("play.playChannel").size() == 2; }));
  api.server().release("channel");
  ASSERT_TRUE(runUntil([&] { return liveRequests().empty(); }));
  EXPECT_EQ(panel.playFromChannelId(), "B") << "only the last channel's programme plays";
  EXPECT_EQ(selectedId(), "b1");
  EXPECT_EQ(audio->items().size(), 1u) << "channel A never played";

  // A now-channel start that fails retries 5 s later, unless another start came meanwhile.
  api.answerWithErr("play.playNowChannels", "hapn.fail");
  panel.playSong(song("s"));
  panel.playSAlbum(nullptr, {}, std::nullopt);
  panel.playNowChannel();
  ASSERT_TRUE(runUntil([&] { return liveRequests().empty(); }));
  const std::size_t asked = api.callsTo("play.playNowChannels").size();
  advance(PlayerController::kRetrySeconds);
  ASSERT_TRUE(runUntil([&] { return api.callsTo("play.playNowChannels").size() == asked + 1; }));
  ASSERT_TRUE(runUntil([&] { return liveRequests().empty(); }));
  panel.playSong(song("t"));
  advance(PlayerController::kRetrySeconds);
  settle();
  EXPECT_EQ(api.callsTo("play.playNowChannels").size(), asked + 1);
  EXPECT_EQ(selectedId(), "t");
}

TEST_F(PlayerTest, EachReplyToThePlayerReachesTheHandlerOfItsRequest) {
  auto& panel = startPanel();
  const std::shared_ptr<framework::DataRequestDelegate> controller(playback::AudioPlayerView::sharedAudioPlayer(),
                                                                   &panel.controller());
  api.answerWithBody("item.listSAlbumSongs",
                     R"({"err":"hapn.ok","data":{"lists":[)" + songJson("7") + "," + songJson("8") + "]}}");
  api::ListSAlbumSongs::requestWithDelegate(controller);
  // Each wait looks for its own reply's songs: the start already listed two others.
  ASSERT_TRUE(runUntil([&] { return listedIds(panel) == std::vector<std::string>{"7", "8"}; }));

  api.answerWithBody("radio._delProgramSong", R"({"err":"hapn.ok","data":{}})");
  api::DelProgramSong::requestWithDelegate(controller, {{"program_id", "500"}, {"song_id", "7"}});
  ASSERT_TRUE(runUntil([&] { return listedIds(panel) == std::vector<std::string>{"8"}; }));

  api.answerWithBody("radio.getProgramDetail",
                     R"({"err":"hapn.ok","data":{"program_id":"500","program_name":"新名"}})");
  api::GetProgramDetailRequest::requestWithDelegate(controller, {{"program_id", "500"}});
  ASSERT_TRUE(runUntil([&] { return panel.program()->programName() == "新名"; }));

  api.answerWithBody("user._shareToThird", R"({"err":"hapn.ok","data":{}})");
  api::ShareToThirdRequest::requestWithDelegate(controller);
  ASSERT_TRUE(runUntil([&] { return keyWindowLabels(PlayerController::kShareDoneToast) == 1; }));
  EXPECT_EQ(listedIds(panel), std::vector<std::string>{"8"}) << "no other handler ran";
}

}  // namespace
}  // namespace playertest
