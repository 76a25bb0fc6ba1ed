#include "platform/media/MotionManager.h"
#include "platform/media/NowPlayingInfoCenter.h"
#include "src/framework/images/QRVImageCacheManager.h"
#include "src/playback/panel/AudioPlayerCoverView.h"
#include "src/playback/panel/GEDriftView.h"
#include "src/services/catalogue/SingleSongCell.h"
#include "tests/playback/panel/PanelFixture.h"

namespace paneltest {
namespace {

using playback::AudioPlayerView;

TEST(PanelTimeLabels, MinutesAndSecondsNeverNegative) {
  EXPECT_EQ(AudioPlayerView::formatTimeLabelBySecond(59), "00:59");
  EXPECT_EQ(AudioPlayerView::formatTimeLabelBySecond(65), "01:05");
  EXPECT_EQ(AudioPlayerView::formatTimeLabelBySecond(600), "10:00");
  EXPECT_EQ(AudioPlayerView::formatTimeLabelBySecond(3600), "60:00");
  EXPECT_EQ(AudioPlayerView::formatTimeLabelBySecond(-5), "00:00");
}

TEST_F(PanelTest, PositionsOutsideTheSongAreClamped) {
  auto& panel = shownPanel();
  panel.showDuration(200);
  panel.showPosition(250);
  EXPECT_EQ(panel.currentTimeLabel()->text(), "03:20");
  EXPECT_EQ(panel.circularSlider()->value(), 200);
  panel.showPosition(-5);
  EXPECT_EQ(panel.currentTimeLabel()->text(), "00:00");
  panel.showPosition(1.6);
  EXPECT_EQ(panel.currentTimeLabel()->text(), "00:02") << "the nearest second";
  panel.showPosition(1.4);
  EXPECT_EQ(panel.currentTimeLabel()->text(), "00:01");
}

TEST_F(PanelTest, CoverChoice) {
  auto& panel = shownPanel();
  auto programme = playProgramme("9");
  auto song = panel.selectedSong();
  song->setPicUrl("http://p/song");
  struct Case {
    foundation::Value coverNumber;
    foundation::Array coverPics;
    std::optional<std::string> picUrl;
    std::string expected;
  };
  const Case cases[] = {
      {0, {}, "http://p/prog", "http://p/prog!large2"},
      {0, {}, "", "http://p/song!large2"},
      {0, {}, std::nullopt, "http://p/song!large2"},
      {2, {foundation::Value("http://p/c1"), foundation::Value("http://p/c2")}, "http://p/prog", "http://p/c1!large2"},
      {1, {}, "http://p/prog", "http://p/prog!large2"},
      {"1", {foundation::Value(5)}, std::nullopt, "http://p/song!large2"},
  };
  for (const Case& c : cases) {
    programme->setCoverNumber(c.coverNumber);
    programme->setCoverPics(c.coverPics);
    programme->setPicUrl(c.picUrl);
    EXPECT_EQ(panel.coverUrl(), c.expected);
  }
  song->setPicUrl("");
  EXPECT_EQ(panel.coverUrl(), "") << "no address is made from nothing";
  panel.playSong(playertest::song("s"));
  player().selectedSong()->setPicUrl("http://p/single");
  EXPECT_EQ(panel.coverUrl(), "http://p/single!large2");
}

TEST_F(PanelTest, StoredPicturesWin) {
  logIn("5");
  auto& panel = shownPanel();
  auto& downloads = playback::DownloadManager::sharedManager();
  const std::string path = downloads.getProgramPicPath(9);
  ASSERT_TRUE(foundation::FileManager::createDirectory(path.substr(0, path.rfind('/'))));
  auto red = ui::Image::fromPixels(4, 4, std::vector<std::uint32_t>(16, 0xFFFF0000));
  ASSERT_TRUE(foundation::FileManager::writeAtomically(path, red->pngData().value()));
  auto programme = playProgramme("9");
  programme->setPicUrl("http://127.0.0.1:1/cover");
  panel.setAudioView();
  EXPECT_EQ(panel.topViewImage()->image()->pixelAt(0, 0), 0xFFFF0000u);
  EXPECT_EQ(panel.coverView()->driftImageView()->image()->pixelAt(0, 0), 0xFFFF0000u);
  EXPECT_TRUE(panel.blurImageView()->image());
  EXPECT_FALSE(panel.djInfoView()->isHidden());
  EXPECT_EQ(panel.djInfoUsernameLabel()->text(), "夜行DJ");
}

// The top bar takes the cover at once; its blur waits until the loading song is under way. The
// lock screen shows the playing programme's own cover, never the one the bar still holds.
TEST_F(PanelTest, ArrivingCoverReachesTheTopBarAndTheLockScreen) {
  auto& panel = shownPanel();
  playProgramme("9");
  panel.setAudioView();
  const ui::ImagePtr blurBefore = panel.blurTitleView()->image();
  const auto& lockScreen = media::NowPlayingInfoCenter::defaultCenter().nowPlayingInfo();
  ASSERT_TRUE(lockScreen);
  EXPECT_EQ(lockScreen->artwork, nullptr) << "no cover yet: the placeholder is not one";
  auto arrived = ui::Image::fromPixels(4, 4, std::vector<std::uint32_t>(16, 0xFF00FF00));
  panel.coverView()->driftImageView()->imageLoaded(arrived);
  EXPECT_EQ(panel.topViewImage()->image(), arrived);
  EXPECT_EQ(lockScreen->artwork, arrived) << "the cover view still fades from its placeholder";
  EXPECT_EQ(panel.blurTitleView()->image(), blurBefore);
  ready();
  ASSERT_TRUE(panel.blurTitleView()->image());
  EXPECT_EQ(panel.blurImageView()->image(), panel.blurTitleView()->image());
  EXPECT_EQ(panel.blurTitleView()->image()->pixelAt(1, 1), 0xFF00FF00u) << "the blur of the arrived cover";
  EXPECT_EQ(panel.blurTitleView()->contentMode(), ui::ContentMode::ScaleAspectFill) << "a small cover fills the bar";

  playProgramme("10");
  ASSERT_TRUE(lockScreen);
  EXPECT_EQ(lockScreen->albumTitle, "节目10");
  EXPECT_EQ(lockScreen->artwork, nullptr) << "programme 9's cover is no artwork of programme 10";
  auto next = ui::Image::fromPixels(4, 4, std::vector<std::uint32_t>(16, 0xFF0000FF));
  panel.coverView()->driftImageView()->imageLoaded(next);
  EXPECT_EQ(lockScreen->artwork, next);
}

void checkFrames(playback::AudioPlayerView& panel, double height) {
  const double collapsed = height - 44;
  const double bottom = height == 568 ? 548 : 460;
  EXPECT_EQ(panel.frame(), ui::Rect(0, collapsed, 320, height));
  EXPECT_EQ(panel.detailAudioPlayer()->frame().maxY(), bottom);
  EXPECT_EQ(panel.headerView()->frame().height(), bottom - 170 - 44);
  EXPECT_EQ(panel.coverView()->frame(), panel.headerView()->bounds());
  panel.pullUpWithAnimation(true);
  EXPECT_EQ(panel.frame().minY(), 20);
  EXPECT_EQ(panel.topView()->frame(), ui::Rect(0, -20, 320, 64));
  EXPECT_EQ(panel.titleViewIntopView()->frame(), ui::Rect(0, 25, 320, 39));
  EXPECT_TRUE(panel.topPlayButton()->isHidden());
  EXPECT_FALSE(panel.timerButton()->isHidden());
  panel.pullUpWithAnimation(false);
  EXPECT_EQ(panel.topView()->frame(), ui::Rect(0, -20, 320, 64)) << "a second pull changes nothing";
  panel.pullDownWithAnimation(false);
  EXPECT_EQ(panel.frame().minY(), collapsed);
  EXPECT_EQ(panel.topView()->frame(), ui::Rect(0, 0, 320, 44));
  EXPECT_EQ(panel.musicTable()->alpha(), 0);
}

TEST_F(PanelTest, FramesOnTheTallScreen) { checkFrames(shownPanel(), 568); }

TEST_F(PanelTest, FramesOnTheShortScreen) {
  ui::Screen::setMain(ui::Screen({320, 480}));
  checkFrames(shownPanel(), 480);
}

TEST_F(PanelTest, DragsSpringBackOrCollapse) {
  auto& panel = shownPanel();
  panel.pullUpWithAnimation(false);
  panel.handlePanMoved(90);
  EXPECT_EQ(panel.frame().minY(), 90);
  panel.handlePanEnded(90);
  step(0.3);
  EXPECT_TRUE(panel.isPullUp());
  EXPECT_EQ(panel.frame().minY(), 20);
  panel.handlePanMoved(120);
  panel.handlePanEnded(120);
  step(0.3);
  EXPECT_FALSE(panel.isPullUp());
  EXPECT_EQ(panel.frame().minY(), 524);
  panel.handlePanMoved(560);
  EXPECT_EQ(panel.frame().minY(), 524) << "not below the limit";
  panel.handlePanEnded(400);
  EXPECT_TRUE(panel.isPullUp());
}

TEST_F(PanelTest, TopBarTapsAndRouteWidths) {
  auto& panel = shownPanel();
  panel.handlePlayerViewClickEvent(50);
  EXPECT_FALSE(panel.isPullUp()) << "too near the left button while collapsed";
  panel.handlePlayerViewClickEvent(150);
  EXPECT_TRUE(panel.isPullUp());
  panel.handlePlayerViewClickEvent(260);
  EXPECT_TRUE(panel.isPullUp()) << "too near the timer button";
  panel.handlePlayerViewClickEvent(150);
  EXPECT_FALSE(panel.isPullUp());

  media::AudioSession::sharedInstance().injectWirelessRoutesAvailable(true);
  settle();
  EXPECT_EQ(panel.volumeSlider()->frame().width(), 191);
  EXPECT_TRUE(panel.CMbutton()->isHidden());
  panel.wirelessRoutsChange(false);
  EXPECT_EQ(panel.volumeSlider()->frame().width(), 221);
  EXPECT_FALSE(panel.CMbutton()->isHidden());
  ui::Screen::setMain(ui::Screen({320, 667}));
  panel.wirelessRoutsChange(true);
  EXPECT_EQ(panel.volumeSlider()->frame().width(), 211);
  panel.wirelessRoutsChange(false);
  EXPECT_EQ(panel.volumeSlider()->frame().width(), 251);
}

TEST_F(PanelTest, SongRowsFollowThePlayingSong) {
  auto& panel = shownPanel();
  playProgramme("9", 20);
  panel.pullUpWithAnimation(false);
  panel.musicTable()->setContentOffset({0, 300});
  panel.musicTable()->layoutIfNeeded();
  auto row = std::dynamic_pointer_cast<services::SingleSongCell>(panel.musicTable()->cellForRow({0, 0}));
  ASSERT_TRUE(row);
  EXPECT_EQ(row->tag(), 901);
  EXPECT_FALSE(row->playingImageView()->isHidden());
  panel.showSongRowLoading("902");
  auto second = std::dynamic_pointer_cast<services::SingleSongCell>(panel.musicTable()->cellForRow({0, 1}));
  EXPECT_TRUE(second->songActivity()->isAnimating());
  panel.resetSongRow("902");
  EXPECT_FALSE(second->musicIndex()->isHidden());
  EXPECT_EQ(second->musicIndex()->text(), "2");
}

TEST_F(PanelTest, DriftCage) {
  auto view = playback::GEDriftView::create({0, 0, 320, 260});
  auto still = playback::GEDriftView::create({0, 0, 300, 300});
  EXPECT_EQ(view->driftImageView()->frame(), ui::Rect(-10, -40, 340, 340));
  EXPECT_EQ(still->driftImageView()->frame(), ui::Rect(-10, -10, 320, 320));
  EXPECT_TRUE(view->isDrifting());
  EXPECT_FALSE(still->isDrifting()) << "the gyroscope already delivers to the first view";

  media::MotionManager::injectRotationRate({.x = -25, .y = -7});
  ASSERT_TRUE(runUntil([&] { return view->driftImageView()->frame().origin.x == -17; }));
  settle();
  EXPECT_EQ(view->driftImageView()->frame().origin.y, -65);
  EXPECT_EQ(still->driftImageView()->frame(), ui::Rect(-10, -10, 320, 320));
  view->drift({.x = -20, .y = -5});
  EXPECT_EQ(view->driftImageView()->frame().origin, (ui::Point{-17, -65})) << "-22 and -85 lie outside the cage";
  view->drift({.x = 65, .y = 17});
  EXPECT_EQ(view->driftImageView()->frame().origin, (ui::Point{-17, -65})) << "0 is on the cage's edge, outside";
  view->drift({.x = 64, .y = 16.5});
  EXPECT_EQ(view->driftImageView()->frame().origin, (ui::Point{-0.5, -1}));
  still.reset();
  EXPECT_TRUE(services::AppDelegate::sharedDelegate().sharedMotionManager()->isGyroActive())
      << "the second view never took the updates, so it does not stop them";
}

TEST_F(PanelTest, TheOlderCoverMovesSlowerNearItsCagesEdge) {
  auto cover = playback::AudioPlayerCoverView::initWithImage("http://127.0.0.1:1/cover.jpg");
  cover->setFrame({0, 0, 100, 100});
  cover->setCageRect({0, 0, 100, 100});
  EXPECT_EQ(cover->coverImageView()->image(), ui::Image::named("placeHolderBig.png"));
  cover->drawRect(cover->bounds());
  EXPECT_EQ(cover->coverImageView()->frame(), cover->bounds());

  media::MotionManager::injectRotationRate({.x = 1, .y = 2});
  ASSERT_TRUE(runUntil([&] { return cover->coverImageView()->center().x != 50; }));
  const double reach = std::hypot(100.0, 100.0) / 2;  // from the cage's centre
  EXPECT_NEAR(cover->coverImageView()->center().x, 50 + 2 * reach * 0.012, 1e-4);
  EXPECT_NEAR(cover->coverImageView()->center().y, 50 + reach * 0.012, 1e-4);

  const ui::Point before = cover->coverImageView()->center();
  cover->move({.x = 0, .y = 100});  // would leave the cage
  EXPECT_EQ(cover->coverImageView()->center(), before);
  cover->stopMoving();
}

}  // namespace
}  // namespace paneltest
