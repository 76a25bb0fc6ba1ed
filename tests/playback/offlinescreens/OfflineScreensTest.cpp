#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "platform/media/AudioBackend.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "src/playback/offline/IconManager.h"
#include "src/playback/offlinescreens/OfflineSettingViewController.h"
#include "src/playback/offlinescreens/OfflineViewCell.h"
#include "src/playback/offlinescreens/OfflineViewController.h"
#include "src/playback/player/AudioPlayerView.h"
#include "src/playback/timer/SleepTimer.h"
#include "tests/playback/offline/DownloadFixture.h"

namespace playback {
namespace {

class OfflineScreensTest : public testing::DownloadFixture {
 protected:
  void SetUp() override {
    DownloadFixture::SetUp();
    audio = media::AudioBackend::useFake();
    window->makeKeyAndVisible();
  }
  void TearDown() override {
    screen.reset();
    AudioPlayerView::resetSharedForTesting();
    SleepTimer::resetForTesting();
    services::SettingViewController::setSleepTimerText(nullptr);
    media::AudioBackend::useGStreamer({media::AudioSink::fake, false});
    DownloadFixture::TearDown();
  }

  // A stored programme with `songs` songs of which `kept` are downloaded.
  static void store(const std::string& id, int songs, int kept, bool complete, const std::string& recommend = "0") {
    auto programme = api::ProgramModel::initWithDataDic(foundation::Dictionary{{"program_id", id},
                                                                               {"program_name", "节目 " + id},
                                                                               {"song_num", std::to_string(songs)},
                                                                               {"recommend", recommend},
                                                                               {"modify_time", "1"}});
    auto& db = DBManager::sharedManager();
    ASSERT_TRUE(db.insertProgram(programme));
    for (int song = 1; song <= kept; ++song) ASSERT_TRUE(db.addSucSongsId(song, std::stoll(id)));
    if (complete) {
      ASSERT_TRUE(db.updateProgramStatusToCompleteWithProgramId(std::stoll(id)));
    }
  }
  OfflineViewController& open() {
    screen = std::make_shared<OfflineViewController>();
    screen->view()->setFrame({0, 0, 320, 568});
    screen->mainTableView()->setFrame({0, 0, 320, 568});
    screen->view()->layoutIfNeeded();
    return *screen;
  }
  std::shared_ptr<OfflineViewCell> row(int index) {
    screen->mainTableView()->layoutIfNeeded();
    return std::dynamic_pointer_cast<OfflineViewCell>(screen->mainTableView()->cellForRow({0, index}));
  }
  std::vector<std::int64_t> listed() const {
    std::vector<std::int64_t> ids;
    for (const auto& entry : screen->sourceArray()) ids.push_back(entry->programId());
    return ids;
  }
  std::string title() const { return screen->pauseButton()->titleForState(ui::kStateNormal).value_or(""); }

  std::shared_ptr<media::FakeAudioBackend> audio;
  std::shared_ptr<ui::Window> window = std::make_shared<ui::Window>(ui::Rect{0, 0, 320, 568});
  std::shared_ptr<OfflineViewController> screen;
};

TEST_F(OfflineScreensTest, AnEmptyListShowsTheEmptyViewAndTheButtonFollowsThePauseFlag) {
  OfflineViewController& offline = open();
  EXPECT_EQ(offline.title(), "离线节目");
  EXPECT_FALSE(offline.noDownloadView()->isHidden());
  EXPECT_TRUE(offline.mainTableView()->isHidden());
  EXPECT_EQ(title(), "开始离线");
  ASSERT_TRUE(ui::renderToPNG(*offline.view(), renderedPath("offline_list_empty")).ok());

  offline.pauseButtonSelected();  // not paused: pauses
  EXPECT_TRUE(downloads().isDownloadPause());
  EXPECT_EQ(title(), "开始离线");
  offline.pauseButtonSelected();  // paused: resumes, whatever is downloading at the moment
  EXPECT_TRUE(offline.isPause());
  EXPECT_FALSE(downloads().isDownloadPause());
  EXPECT_EQ(title(), "暂停离线");
}

TEST_F(OfflineScreensTest, RowsInEachStateWithTheirProgressInListOrder) {
  store("11", 12, 3, false);
  store("12", 0, 0, false);  // lists no songs
  store("13", 5, 2, true);
  store("14", 4, 4, true);
  downloads().setCurrentDownloadingProgramId(11);
  OfflineViewController& offline = open();
  EXPECT_EQ(listed(), (std::vector<std::int64_t>{11, 12, 14, 13}));
  EXPECT_TRUE(offline.noDownloadView()->isHidden());
  EXPECT_EQ(offline.numberOfRows(*offline.mainTableView(), 0), 6);
  EXPECT_FALSE(offline.canEditRow(*offline.mainTableView(), {0, 1}));
  EXPECT_EQ(row(1)->detailLabel().text(), "已离线 3 首歌 25%");
  EXPECT_FLOAT_EQ(row(1)->downloadProgress().progress(), 0.25f);
  EXPECT_EQ(row(1)->tag(), 11);
  EXPECT_EQ(row(2)->detailLabel().text(), "已离线 0 首歌 0%");
  EXPECT_EQ(row(2)->downloadProgress().progress(), 0.0f);
  EXPECT_EQ(row(4)->detailLabel().text(), "已离线 2 首歌");
  EXPECT_TRUE(row(4)->downloadProgress().isHidden());
  EXPECT_EQ(row(1)->statusImageView().image(), ui::Image::named("downloading.png"));
  EXPECT_EQ(row(2)->statusImageView().image(), ui::Image::named("downloadwaiting.png"));
  ASSERT_TRUE(ui::renderToPNG(*offline.view(), renderedPath("offline_list")).ok());

  // On a mobile network with Wi-Fi only, the notice row asks; accepting lifts the restriction.
  network->setFlags(testing::k3G);
  offline.requestData();
  EXPECT_EQ(offline.heightForRow(*offline.mainTableView(), {0, 0}), OfflineViewController::kNoticeRowHeight);
  ASSERT_TRUE(ui::renderToPNG(*offline.view(), renderedPath("offline_list_mobile_notice")).ok());
  offline.changeDownloadSetting();
  ASSERT_EQ(ui::AlertView::visibleAlerts().size(), 1u);
  auto alert = ui::AlertView::visibleAlerts().front();
  EXPECT_EQ(alert->buttonTitle(0), "点错剁手");
  alert->pressButton(1);
  EXPECT_EQ(framework::DataCacheManager::sharedManager()
                .getCachedObjectByKey(framework::kUserSettingDownloadOfflineWifiOnlyCacheKey)
                .toString(),
            "0");
  EXPECT_EQ(offline.heightForRow(*offline.mainTableView(), {0, 0}), 0);
}

TEST_F(OfflineScreensTest, DeletingARowTakesItsProgrammeOffTheServerListThenOffThisOneWithItsFiles) {
  store("21", 2, 1, true);
  store("22", 2, 0, false);
  const std::string kept = DownloadPaths::songFile(5821, 21, 1);
  ASSERT_TRUE(foundation::FileManager::createDirectory(DownloadPaths::programDir(5821, 21)).ok());
  ASSERT_TRUE(foundation::FileManager::writeAtomically(kept, "mp3"));
  OfflineViewController& offline = open();
  ASSERT_EQ(listed(), (std::vector<std::int64_t>{22, 21}));

  offline.commitEditingStyle(*offline.mainTableView(), {0, 2});
  ASSERT_TRUE(runUntil([&] { return listed() == std::vector<std::int64_t>{22}; }));
  auto calls = api.callsTo("user._subscribe");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].formValue("program_id"), "21");
  EXPECT_EQ(calls[0].formValue("sync"), "0");
  EXPECT_FALSE(foundation::FileManager::fileExists(kept));
  EXPECT_EQ(downloads().checkProgramStateById(21), DownloadManager::kNotOffline);
}

TEST_F(OfflineScreensTest, SongNotificationsPatchTheRowOfTheirOwnProgramme) {
  store("21", 4, 1, false);
  store("22", 4, 0, false);
  OfflineViewController& offline = open();
  ASSERT_TRUE(DBManager::sharedManager().addSucSongsId(7, 22));
  auto& center = foundation::NotificationCenter::defaultCenter();
  center.postNotificationName(DownloadManager::kSongIsDownloaded, {}, {{"ProgramId", "22"}, {"SongId", "7"}});
  EXPECT_EQ(row(1)->detailLabel().text(), "已离线 1 首歌 25%");
  EXPECT_EQ(row(2)->detailLabel().text(), "已离线 1 首歌 25%");
  center.postNotificationName(DownloadManager::kSongIsDownloaded, {}, {{"ProgramId", "99"}, {"SongId", "1"}});
  EXPECT_EQ(listed(), (std::vector<std::int64_t>{21, 22}));

  // The second one completes first (the first was paused): the list is read again.
  ASSERT_TRUE(DBManager::sharedManager().updateProgramStatusToCompleteWithProgramId(22));
  center.postNotificationName(DownloadManager::kProgramIsDownloaded, {}, {{"ProgramId", "22"}});
  EXPECT_EQ(offline.sourceArray().back()->status(), 1);
}

TEST_F(OfflineScreensTest, PlayAllQueuesRecommendedProgrammesFirst) {
  store("31", 2, 2, true, "0");
  store("32", 2, 0, false, "1");
  store("33", 2, 2, true, "1");
  store("34", 2, 0, false, "0");
  OfflineViewController& offline = open();
  offline.seedShuffleForTesting(7);
  auto player = AudioPlayerView::sharedAudioPlayer();
  player->prePlayPrograms().push_back(nullptr);  // whatever was queued before goes
  offline.playAllFavButton();
  std::vector<std::string> order;
  for (const auto& queued : player->prePlayPrograms()) order.push_back(queued->programId().value_or(""));
  ASSERT_EQ(order.size(), 3u);
  // One recommended programme plays now; the other leads the queue.
  EXPECT_TRUE(order[0] == "32" || order[0] == "33");
  EXPECT_TRUE((order[1] == "31" && order[2] == "34") || (order[1] == "34" && order[2] == "31"));
}

TEST_F(OfflineScreensTest, OfflineSettingsRows) {
  ASSERT_TRUE(framework::DataCacheManager::sharedManager()
                  .addObjectToMemory(
                      api::UserModel::initWithDataDic(foundation::Dictionary{{"uid", "5821"}, {"uname", "小鱼"}}),
                      framework::kUserIsLoginCacheKey)
                  .ok());
  ASSERT_TRUE(framework::DataCacheManager::sharedManager()
                  .addObject(std::string("2G/3G/4G和WiFi"), framework::kUserSettingForPlayingCacheKey)
                  .ok());
  SleepTimer::shareSleepTimer().startWithSecond(600);
  auto settings = std::make_shared<OfflineSettingViewController>();
  settings->view()->setFrame({0, 0, 320, 568});
  settings->settingTable()->setFrame({0, 0, 320, 568});
  settings->viewWillAppear(false);
  auto& table = *settings->settingTable();
  table.layoutIfNeeded();
  EXPECT_TRUE(settings->offlineMode());
  EXPECT_FALSE(settings->offlineIconView()->isHidden());
  auto cell = [&](int section, int row) {
    return std::dynamic_pointer_cast<services::SettingViewDefaultCell>(settings->cellForRow(table, {section, row}));
  };
  EXPECT_EQ(cell(0, 0)->settingDecription().text(), "小鱼");
  auto timerRow = cell(1, 0);
  EXPECT_EQ(timerRow->tag(), 301);
  EXPECT_EQ(timerRow->settingDecription().text(), "10 : 00");
  EXPECT_FALSE(timerRow->showsDisclosureIndicator());
  auto switchRow = cell(1, 1);
  EXPECT_TRUE(switchRow->netStatusChangeSwitch().isOn());
  EXPECT_EQ(switchRow->netStatusChangeSwitch().frame().minX(), 253);
  ASSERT_TRUE(ui::renderToPNG(*settings->view(), renderedPath("offline_settings")).ok());

  ui::Screen::setMain(ui::Screen({320, 480}, "6.1"));
  SleepTimer::shareSleepTimer().stop();
  EXPECT_EQ(cell(1, 1)->netStatusChangeSwitch().frame().minX(), 220);
  EXPECT_TRUE(cell(1, 0)->showsDisclosureIndicator());
}

TEST_F(OfflineScreensTest, IconsAndSyncTitles) {
  auto user = [](const char* type) {
    return api::UserModel::initWithDataDic(foundation::Dictionary{{"uid", "1"}, {"user_type", type}});
  };
  EXPECT_EQ(IconManager::getUserIcon(user("5")), nullptr);
  EXPECT_EQ(IconManager::getUserIcon(user("3")), ui::Image::named("user_business.png"));
  EXPECT_EQ(IconManager::getUserIconWhite(user("1")), ui::Image::named("user_dj_white.png"));
  auto programme = [](const char* id, const char* fav, const char* sync) {
    return api::ProgramModel::initWithDataDic(
        foundation::Dictionary{{"program_id", id}, {"fav", fav}, {"sync", sync}, {"modify_time", "1"}});
  };
  EXPECT_EQ(IconManager::getSyncButtonTitle(programme("41", "1", "1")), "等待离线");
  EXPECT_EQ(IconManager::getSyncButtonTitle(programme("41", "1", "0")), std::nullopt);
  store("42", 1, 1, true);
  EXPECT_EQ(IconManager::getSyncButtonTitle(programme("42", "1", "1")), "已离线");
  EXPECT_EQ(IconManager::getSyncIcon(programme("42", "1", "1")), ui::Image::named("programIsDownload.png"));
  EXPECT_EQ(IconManager::syncAnimationImage()->animationImages().size(), 3u);
}

}  // namespace
}  // namespace playback
