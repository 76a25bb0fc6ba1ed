#include <gtest/gtest.h>

#include <future>
#include <mutex>

#include "platform/foundation/FileManager.h"
#include "platform/ui/AlertView.h"
#include "src/playback/managers/PlayLogCommit.h"
#include "src/playback/managers/PlayLogFolder.h"
#include "src/services/shell/AppDelegate.h"
#include "tests/app/ProgramFixture.h"

namespace zunoradio {
namespace {

constexpr std::size_t npos = std::string::npos;

class RadioProgramTest : public apptest::ProgramFixture {
 protected:
  // The current song plays for its two seconds and ends.
  void playToEnd() {
    auto item = ready(2);
    hear(2);
    item->reachEnd();
    ASSERT_TRUE(runUntil([&] { return audio->lastItem() != item; }));
  }
  std::string lastSource() const { return audio->lastItem() ? audio->lastItem()->source() : ""; }
  // Starts the program against the sample station, with options of the test's own when it has some.
  bool startWith(const std::function<void(ProgramOptions&)>& choose = {}) {
    ProgramOptions options;
    options.server = station->baseUrl();
    if (choose) choose(options);
    program = std::make_unique<RadioProgram>(options, *console);
    return program->start();
  }
  void startOnScriptedServer() {
    ASSERT_TRUE(startWith([&](ProgramOptions& options) { options.server = api.baseUrl(); }));
  }
  // A channel or a programme asked for at the start is the first programme announced: nothing
  // else plays before it. It plays at once, which is said after it as a press of play at the start
  // says it.
  void expectStartedAndAnnounced(const std::function<void(ProgramOptions&)>& choose, const std::string& programme) {
    ASSERT_TRUE(startWith(choose));
    ASSERT_TRUE(runUntil(
        [&] { return player().program() && player().program()->programId() == programme && audio->lastItem(); }));
    ready(2);
    const std::string text = output();
    const std::size_t onAir = text.find("On air: ");
    ASSERT_NE(onAir, npos) << text;
    EXPECT_EQ(text.find("(programme ", onAir), text.find("(programme " + programme)) << text;
    EXPECT_EQ(text.find("\nPlaying.\n"), text.find('\n', onAir)) << text;
  }
  // The song on air, of this length, heard for 3 s; then `g 3101`, whose answer the station holds
  // until the test releases "programme".
  std::shared_ptr<media::FakeAudioItem> askForASlowProgrammeThreeSecondsInto(double length) {
    auto playing = ready(length);
    hear(3);
    testsupport::Reply slow = testsupport::Reply::text(playertest::programmeReply("3101", {"31"}));
    slow.header("Content-Type", "application/json");
    slow.holdUntilReleased = "programme";
    api.answer("play.playProgram", slow);
    program->handleKey("g 3101");
    return playing;
  }

  // The thread that commits stored play logs waits in each commit until released, at the latest
  // when the test ends.
  struct HeldCommit {
    HeldCommit() {
      playback::PlayLogCommit::shared().performForTesting([held = promise.get_future().share()] { held.wait(); });
    }
    ~HeldCommit() { release(); }
    void release() {
      std::call_once(once, [this] { promise.set_value(); });
    }
    std::promise<void> promise;
    std::once_flag once;
  };
};

int occurrences(const std::string& text, const std::string& piece) {
  int count = 0;
  for (std::size_t at = text.find(piece); at != npos; at = text.find(piece, at + 1)) ++count;
  return count;
}

TEST_F(RadioProgramTest, StartUpLoadsTheChannelOnAirThenOnePressPlaysIt) {
  ASSERT_TRUE(startWith());
  const std::string text = output();
  const std::size_t onAir = text.find("On air: 清晨的第一杯茶 (programme 1001");
  ASSERT_NE(onAir, std::string::npos) << text;
  EXPECT_LT(onAir, text.find("Playing.")) << text;
  EXPECT_LT(text.find("流行电台:"), onAir) << text;
  ASSERT_EQ(audio->items().size(), 1u) << "loading the channel plays nothing; the press plays one song";
  EXPECT_TRUE(lastSource().ends_with("/2001.mp3")) << lastSource();
}

TEST_F(RadioProgramTest, AfterThreeSongsAnAdvertPlaysThenTheDueSongAndTheLogsReachTheStation) {
  ASSERT_TRUE(startWith());
  for (int song = 0; song < 3; ++song) playToEnd();
  EXPECT_TRUE(player().isAdvertisement());
  EXPECT_TRUE(lastSource().ends_with("/ad/advert.mp3") || lastSource().find("/adpath/") != std::string::npos)
      << lastSource();
  playToEnd();
  EXPECT_FALSE(player().isAdvertisement());
  EXPECT_EQ(selectedId(), "2001");  // the list wrapped while the advert played

  ASSERT_TRUE(runUntil([&] { return station->playLogs().size() >= 3; }));
  const std::vector<station::StationCall> logs = station->playLogs();
  ASSERT_EQ(logs.size(), 3u) << "no log for the advert";
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(logs[i].field("song_id"), std::to_string(2001 + i));
    EXPECT_EQ(logs[i].field("program_id"), "1001");
    EXPECT_EQ(logs[i].field("channel_id"), "0");
    EXPECT_EQ(logs[i].field("artist_id"), "71001");
    EXPECT_EQ(logs[i].field("real_duration"), "2");
    EXPECT_EQ(logs[i].field("song_duration"), "2");
    EXPECT_EQ(logs[i].field("action"), "0");
    EXPECT_EQ(logs[i].field("source"), "3");
  }
  // The program prints each log with the server's answer, also when the server is not its own.
  // The three were sent at once, so their answers may come in any order.
  auto answerShown = [&](const std::string& song) {
    return output().find("Play log sent: " + song + ", 2 of 2 s heard, ended; the server answered hapn.ok.") !=
           std::string::npos;
  };
  EXPECT_TRUE(runUntil([&] { return answerShown("晨光") && answerShown("风吹过的街") && answerShown("早安，城市"); }))
      << output();
}

TEST_F(RadioProgramTest, KeysGoToThePlayersOwnOperations) {
  ASSERT_TRUE(startWith());
  ready(2);
  program->handleKey("n");
  ASSERT_TRUE(runUntil([&] { return lastSource().ends_with("/2002.mp3"); })) << lastSource();
  ready(2);
  program->handleKey("p");
  EXPECT_FALSE(player().isPlaying());
  EXPECT_FALSE(audio->lastItem()->isPlaying());

  program->handleKey("t 15");
  EXPECT_TRUE(playback::SleepTimer::shareSleepTimer().isTiming());
  EXPECT_EQ(playback::SleepTimer::shareSleepTimer().minute(), 14);
  program->handleKey("t");
  EXPECT_FALSE(playback::SleepTimer::shareSleepTimer().isTiming());
  program->handleKey("t 20");
  EXPECT_FALSE(playback::SleepTimer::shareSleepTimer().isTiming());

  program->handleKey("c 12");
  ASSERT_TRUE(runUntil([&] { return player().program() && player().program()->programId() == "1004"; }));

  struct Answer : ui::AlertViewDelegate {
    int pressed = -1;
    void clickedButtonAtIndex(ui::AlertView&, int index) override { pressed = index; }
  } answer;
  program->handleKey("b 1");
  auto alert =
      std::make_shared<ui::AlertView>("取消收藏？", std::nullopt, &answer, "删除", std::vector<std::string>{"放弃"});
  alert->show();
  program->handleKey("b 3");
  program->handleKey("b 2");
  EXPECT_EQ(answer.pressed, 1);
  EXPECT_FALSE(alert->isVisible());
  program->handleKey("q");
  EXPECT_TRUE(program->finished());
  const std::string text = output();
  EXPECT_NE(text.find("Sleep timer set: playback stops in 14:59."), std::string::npos) << text;
  EXPECT_NE(text.find("Sleep timer stopped."), std::string::npos) << text;
  EXPECT_NE(text.find("The sleep timer takes 15, 30, 60 or 90 minutes."), std::string::npos) << text;
  EXPECT_NE(text.find("No alert is waiting for an answer."), std::string::npos) << text;
  EXPECT_NE(text.find("Answer with b 1 删除, b 2 放弃."), std::string::npos) << text;
}

// Each refusal and each song given up is one line, and what played goes on where it can.
TEST_F(RadioProgramTest, RefusalsAndSongsThatCannotPlaySayWhy) {
  ASSERT_TRUE(startWith());
  auto playing = ready(2);
  program->handleKey("c 999");
  ASSERT_TRUE(runUntil([&] { return output().find("Channel 999 cannot be played: the server answered ") != npos; }))
      << output();
  EXPECT_TRUE(playing->isPlaying()) << "the song on air goes on";
  EXPECT_EQ(audio->lastItem(), playing);

  playing->fail("The server answered 404, not found");
  ASSERT_TRUE(runUntil([&] { return audio->lastItem() != playing; }));
  EXPECT_NE(output().find("\nCannot play 晨光: the server answered 404, not found.\n"), npos) << output();
  EXPECT_EQ(selectedId(), "2002") << "the next song plays";
}

// The empty list's toast shows when the list arrives, through the toast listener, not at a later
// press of play; play and next then say what would give them something to play.
TEST_F(RadioProgramTest, AnEmptyProgrammeSaysSoWhenItArrives) {
  startOnScriptedServer();
  api.answerWithBody("play.playProgram", playertest::programmeReply("3101", {}));
  program->handleKey("g 3101");
  ASSERT_TRUE(runUntil([&] { return output().find("Notice: 该列表中没有任何歌曲\n") != npos; })) << output();
  program->handleKey("p");
  program->handleKey("n");
  const std::string text = output();
  EXPECT_EQ(occurrences(text, "Notice: 该列表中没有任何歌曲"), 1) << text;
  EXPECT_EQ(occurrences(text, "\nNothing to play: choose a channel with c ID, a programme with g ID"), 2) << text;
  EXPECT_EQ(text.find("Paused."), npos) << text;
}

// A programme that cannot be had leaves the song on air playing, unreported until it ends. A song
// the network cuts short is logged as one that finished, with the time heard, and said as what
// happened.
TEST_F(RadioProgramTest, SongsLeftOnAirByARefusedProgrammeOrCutShortAreLoggedAsFinished) {
  startOnScriptedServer();
  auto playing = ready(5);
  hear(3);
  api.answerWithErr("play.playProgram", "hapn.fail");
  program->handleKey("g 77");
  ASSERT_TRUE(runUntil([&] { return output().find("Programme 77 cannot be played: ") != npos; })) << output();
  EXPECT_TRUE(playing->isPlaying());
  EXPECT_EQ(audio->lastItem(), playing);
  hear(2);
  playing->reachEnd();
  ASSERT_TRUE(runUntil([&] { return !playLogs().empty(); }));
  EXPECT_EQ(playLogs().front().field("action"), "0") << "no record says the song was replaced";
  EXPECT_EQ(playLogs().front().field("real_duration"), "5");
  EXPECT_EQ(output().find("Paused."), npos) << output();

  auto cut = ready(200);
  hear(4);
  cut->fail("Connection dropped");
  ASSERT_TRUE(runUntil([&] { return occurrences(output(), "Play log sent: ") == 2; })) << output();
  EXPECT_EQ(playLogs()[1].field("action"), "0");
  EXPECT_EQ(playLogs()[1].field("real_duration"), "4");
  const std::string text = output();
  EXPECT_NE(text.find("\n歌2 was cut short after 0:04: connection dropped.\n"), npos) << text;
  EXPECT_NE(text.find("\nPlay log sent: 歌2, 4 of 200 s heard, cut short; the server answered hapn.ok.\n"), npos)
      << text;
}

// A record the server did not take is said to be kept as soon as it is, whatever the server
// answered; a quit counts what is left for the next run, the record still on its way included.
TEST_F(RadioProgramTest, PlayLogsKeptForLaterAreSaidWhenKeptAndCountedAtQuit) {
  startOnScriptedServer();
  api.answerWithStatus("play._playLog", 500);
  playToEnd();
  ASSERT_TRUE(runUntil([&] { return output().find("Play log not taken: ") != npos; })) << output();
  EXPECT_NE(output().find("Play log stored for later (1 waiting).\n"), npos) << output();
  api.answerWithBody("play._playLog", "{\"err\":");
  playToEnd();
  ASSERT_TRUE(runUntil([&] { return occurrences(output(), "Play log not taken: ") == 2; })) << output();
  EXPECT_NE(output().find("Play log stored for later (2 waiting).\n"), npos) << output();
  api.holdReplies("play._playLog");
  playToEnd();
  settle();  // the third record is on its way
  program->handleKey("q");
  program->letRequestsFinish(foundation::Duration(0));
  EXPECT_TRUE(output().ends_with("\n3 play logs kept for the next run.\n")) << output();
  api.releaseHeldReplies();
}

// Records the folder cannot take (a full disk) end with the process: the quit says they are lost
// rather than kept, the one still on its way included.
TEST_F(RadioProgramTest, PlayLogsTheFolderCannotTakeAreSaidToBeLostAtQuit) {
  startOnScriptedServer();
  (void)foundation::FileManager::removeItem(playback::PlayLogFolder::path());
  ASSERT_TRUE(foundation::FileManager::writeAtomically(playback::PlayLogFolder::path(), "a file, not the folder"));
  api.answerWithStatus("play._playLog", 500);
  playToEnd();
  ASSERT_TRUE(runUntil([&] { return output().find("Play log not taken: ") != npos; })) << output();
  api.holdReplies("play._playLog");
  playToEnd();
  settle();
  program->handleKey("q");
  program->letRequestsFinish(foundation::Duration(0));
  EXPECT_TRUE(output().ends_with("\n2 play logs could not be stored and are lost.\n")) << output();
  EXPECT_EQ(output().find("kept for the next run"), npos) << output();
  api.releaseHeldReplies();
}

TEST_F(RadioProgramTest, ChannelAtStartIsTheFirstProgrammeAnnounced) {
  expectStartedAndAnnounced([](ProgramOptions& options) { options.channelId = "12"; }, "1004");
  EXPECT_LT(output().find("Tuning to channel 12."), output().find("On air: ")) << output();
}

TEST_F(RadioProgramTest, ProgrammeAtStartIsAnnouncedAndSaidToPlay) {
  expectStartedAndAnnounced([](ProgramOptions& options) { options.programId = "1002"; }, "1002");
}

// What cannot be played of a programme comes after the programme's own line, and a song without
// an address says so rather than what the player could not open.
TEST_F(RadioProgramTest, AProgrammeIsAnnouncedBeforeItsFirstSongThatHasNoAddress) {
  startOnScriptedServer();
  ready(2);
  api.answerWithBody("play.playProgram",
                     R"({"err":"hapn.ok","data":{"program":{"program_id":"3101","program_name":"节目3101"},"songs":[)"
                     R"({"song_id":"31","song_name":"歌31","duration":"200","audio_url":""},)" +
                         playertest::songJson("32") + "]}}");
  program->handleKey("g 3101");
  ASSERT_TRUE(runUntil([&] { return selectedId() == "31" && lastSource().empty(); })) << lastSource();
  EXPECT_NE(output().find("\nOn air: 节目3101 (programme 3101"), npos) << "announced as it arrives\n" << output();
  for (int attempt = 1; attempt <= playback::PlayerController::kMaxLoadFailures; ++attempt) {
    audio->lastItem()->fail("Cannot open ");
    settle();
    step(playback::PlayerController::kRetrySeconds);
  }
  ASSERT_TRUE(runUntil([&] { return selectedId() == "32"; }));
  const std::string text = output();
  const std::size_t onAir = text.find("\nOn air: 节目3101 (programme 3101");
  const std::size_t cannotPlay = text.find("\nCannot play 歌31: the song has no address.\n");
  ASSERT_NE(onAir, npos) << text;
  ASSERT_NE(cannotPlay, npos) << text;
  EXPECT_LT(onAir, cannotPlay) << text;
}

// While a programme is on its way the song on air plays on; once it arrives the song is logged as
// replaced with all that was heard of it.
TEST_F(RadioProgramTest, ASlowProgrammeLeavesTheSongOnAirPlayingUntilItArrives) {
  startOnScriptedServer();
  auto playing = askForASlowProgrammeThreeSecondsInto(200);
  hear(4);
  EXPECT_TRUE(playing->isPlaying());
  EXPECT_TRUE(playLogs().empty());
  api.server().release("programme");
  ASSERT_TRUE(runUntil([&] { return !playLogs().empty(); }));
  EXPECT_EQ(playLogs().front().field("action"), "2");
  EXPECT_EQ(playLogs().front().field("real_duration"), "7");
  EXPECT_EQ(output().find("Paused."), npos) << output();
}

// A song paused while a programme is on its way was heard all the same: the programme's arrival
// logs it as replaced with the time heard up to the pause.
TEST_F(RadioProgramTest, ASongPausedWhileASlowProgrammeIsOnItsWayIsLoggedWithTheTimeHeard) {
  startOnScriptedServer();
  askForASlowProgrammeThreeSecondsInto(200);
  hear(2);
  program->handleKey("p");
  hear(4);
  api.server().release("programme");
  ASSERT_TRUE(runUntil([&] { return !playLogs().empty(); })) << output();
  EXPECT_EQ(playLogs().front().field("action"), "2");
  EXPECT_EQ(playLogs().front().field("real_duration"), "5");
}

// A song that ends while a programme is on its way is logged as ended; the next one, on air when
// the programme arrives, is the one logged as replaced, with what was heard of it; both under the
// channel of their own list.
TEST_F(RadioProgramTest, TheSongOnAirWhenASlowProgrammeArrivesIsTheOneLoggedAsReplaced) {
  startOnScriptedServer();
  api.answerWithBody("play.playChannel", playertest::programmeReply("600", {"1", "2"}));
  program->handleKey("c 7");
  ASSERT_TRUE(runUntil([&] { return player().program() && player().program()->programId() == "600"; }));
  auto first = askForASlowProgrammeThreeSecondsInto(5);
  hear(2);
  first->reachEnd();
  ASSERT_TRUE(runUntil([&] { return selectedId() == "2" && audio->lastItem() != first; }));
  ready(200);
  hear(4);
  api.server().release("programme");
  ASSERT_TRUE(runUntil([&] { return playLogs().size() >= 2; })) << output();
  EXPECT_EQ(playLogs()[0].field("song_id"), "1");
  EXPECT_EQ(playLogs()[0].field("action"), "0");
  EXPECT_EQ(playLogs()[1].field("song_id"), "2");
  EXPECT_EQ(playLogs()[1].field("action"), "2");
  EXPECT_EQ(playLogs()[1].field("real_duration"), "4");
  for (const auto& log : playLogs()) EXPECT_EQ(log.field("channel_id"), "7") << "both songs are of channel 7's list";
}

// The stored records the server took while the program quits are gone before the count, however
// late the commit's own thread comes to the answer.
TEST_F(RadioProgramTest, StoredPlayLogsTheServerTookAtTheQuitAreNotCountedAsKept) {
  startOnScriptedServer();
  ASSERT_TRUE(runUntil([&] { return liveRequests().empty(); }));
  ASSERT_TRUE(playback::PlayLogFolder::store({{"song_id", "2001"}, {"real_duration", "2"}, {"time", "1600000000"}}));
  api.holdReplies("play._playLog");
  playback::PlayApiManager::commitOfflineLog();
  ASSERT_TRUE(runUntil([&] { return !liveRequests().empty(); })) << "the batch is on its way";
  HeldCommit held;
  api.releaseHeldReplies();
  ASSERT_TRUE(runUntil([&] { return output().find("Stored play logs sent (1 record)") != npos; })) << output();
  program->letRequestsFinish(foundation::Duration(0));
  EXPECT_EQ(output().find("kept for the next run"), npos) << output();
}

// The commit of stored records that the last song's accepted log asks for is waited for at the
// quit, however late its thread takes it up: it sends them rather than leaving them for next time.
TEST_F(RadioProgramTest, StoredPlayLogsThatTheLastAnswerSentForAreSentBeforeTheQuit) {
  ASSERT_TRUE(startWith());
  ASSERT_TRUE(runUntil([&] { return liveRequests().empty() && !playback::PlayApiManager::isCommitting(); }));
  ASSERT_TRUE(playback::PlayLogFolder::store({{"song_id", "2001"}, {"real_duration", "2"}, {"time", "1600000000"}}));
  HeldCommit held;
  playToEnd();
  ASSERT_TRUE(runUntil([&] { return output().find("Play log sent: ") != npos; })) << output();
  foundation::RunLoop::main().post([&] { held.release(); });
  program->letRequestsFinish(foundation::Duration(30));
  EXPECT_NE(output().find("Stored play logs sent (1 record)"), npos) << output();
  EXPECT_EQ(output().find("kept for the next run"), npos) << output();
}

TEST_F(RadioProgramTest, PanelSnapshotsAtEachSongAndTheProgrammeKeys) {
  const std::filesystem::path folder = std::filesystem::path(foundation::Paths::homeDirectory()) / "snapshots";
  ASSERT_TRUE(startWith([&](ProgramOptions& options) { options.snapshotFolder = folder.string(); }));
  ready(2);
  EXPECT_GT(std::filesystem::file_size(folder / "001-shrunk.png"), 1000u);
  EXPECT_GT(std::filesystem::file_size(folder / "001-expanded.png"), 1000u);
  EXPECT_FALSE(player().isPullUp()) << "the panel is left as it was";

  program->handleKey("i");
  EXPECT_NE(output().find("Programme 1001: 清晨的第一杯茶"), std::string::npos) << output();
  program->handleKey("l");
  EXPECT_NE(output().find("Opened http://127.0.0.1/programmes/1001?p=i-program"), std::string::npos) << output();
  // Both need an account; the login screen nobody could fill in is closed again each time.
  program->handleKey("f");
  program->handleKey("o");
  EXPECT_FALSE(services::AppDelegate::sharedDelegate().getMainController()->presentedViewController());
  EXPECT_NE(output().find("Collecting a programme needs a logged-in user: start with --login EMAIL:PASSWORD.\n"
                          "Keeping a programme offline needs a logged-in user"),
            std::string::npos)
      << output();
}

}  // namespace
}  // namespace zunoradio
