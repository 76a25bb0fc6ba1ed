#include "platform/ui/Window.h"
#include "src/playback/panel/ChannelDetailInfoViewController.h"
#include "src/playback/panel/ShrinkViewController.h"
#include "tests/playback/panel/PanelFixture.h"

namespace paneltest {
namespace {

const char* const kTitles[] = {"夜空中最亮的星", "平凡之路",      "Blue in Green", "南山南",     "成都",
                               "晴天",           "Autumn Leaves", "董小姐",        "旅行的意义", "Moon River"};

// A cover of soft bands of colour, stored as the programme's offline picture.
void storeCover(std::int64_t programmeId) {
  std::vector<std::uint32_t> pixels(640 * 640);
  for (int y = 0; y < 640; ++y)
    for (int x = 0; x < 640; ++x)
      pixels[y * 640 + x] = 0xFF000000u | (static_cast<std::uint32_t>(60 + x / 5) << 16) |
                            (static_cast<std::uint32_t>(40 + y / 8) << 8) | static_cast<std::uint32_t>(170 - y / 6);
  auto image = ui::Image::fromPixels(640, 640, std::move(pixels));
  const std::string path = playback::DownloadManager::sharedManager().getProgramPicPath(programmeId);
  ASSERT_TRUE(foundation::FileManager::createDirectory(path.substr(0, path.rfind('/'))));
  ASSERT_TRUE(foundation::FileManager::writeAtomically(path, image->pngData().value()));
}

class PanelRenderTest : public PanelTest {
 protected:
  // The main pane's whole window with the panel over it, in the state the test left it.
  ui::ImagePtr renderScreen(const std::string& name) {
    settle();
    step(1);
    settle();
    ui::Window* window = ui::Application::shared().keyWindow();
    EXPECT_TRUE(window);
    EXPECT_TRUE(ui::renderToPNG(*window, renderedPath(name), {.scale = 2}).ok());
    auto image = ui::render(*window, {.scale = 1});
    return image.ok() ? image.value() : nullptr;
  }
  void playTwentySongs() {
    logIn("5");
    storeCover(9);
    auto& panel = shownPanel();
    auto programme = playProgramme("9", 20);
    programme->setRefLink("https://example.com/p/9");
    programme->setSubscribeNum("1280");
    programme->setPlayNum("35612");
    programme->setProgramDesc("凌晨两点的城市，只剩下路灯和耳机里的歌。二十首写给失眠者的民谣与爵士。");
    std::vector<api::SongModelPtr> list = panel.musicListArray();
    for (std::size_t i = 0; i < list.size(); ++i) {
      list[i]->setSongName(kTitles[i % 10]);
      list[i]->setArtistsName(i % 2 ? "朴树" : "Chet Baker");
    }
    panel.setAudioView();
    ready(245);
    hear(83);
  }
};

TEST_F(PanelRenderTest, ShrunkAndExpandedOnBothHeights) {
  for (double height : {568.0, 480.0}) {
    ui::Screen::setMain(ui::Screen({320, height}));
    services::AppDelegate::resetForTesting();
    playback::AudioPlayerView::resetSharedForTesting();
    playTwentySongs();
    const std::string suffix = height == 568 ? "" : "-480";
    auto shrunk = renderScreen("panel-shrunk" + suffix);
    ASSERT_TRUE(shrunk);
    const int top = static_cast<int>(height) - 44;
    EXPECT_NE(uitest::rgbaAt(*shrunk, 160, top + 20).red, 255) << "the top bar lies at the bottom";
    player().pullUpWithAnimation(false);
    auto expanded = renderScreen("panel-expanded" + suffix);
    ASSERT_TRUE(expanded);
    EXPECT_LT(uitest::rgbaAt(*expanded, 5, static_cast<int>(height) - 10).red, 200) << "the panel covers the screen";
  }
  player().musicTable()->setContentOffset({0, 330});
  renderScreen("panel-expanded-songs-480");
}

TEST_F(PanelRenderTest, PullUpFrameAndSheets) {
  playTwentySongs();
  player().pullUpWithAnimation(true);
  step(0.15);
  renderScreen("panel-pulling-up");
  player().musicTable()->setContentOffset({0, 300});
  renderScreen("panel-expanded-songs");

  auto pane = services::AppDelegate::sharedDelegate().getMainController();
  player().handleJiemuButtonClickEvent();
  auto sheet = std::dynamic_pointer_cast<playback::ChannelDetailInfoViewController>(pane->presentedViewController());
  ASSERT_TRUE(sheet);
  renderScreen("info-sheet");
  ASSERT_TRUE(ui::renderToPNG(*sheet->view(), renderedPath("info-sheet-page"), {.scale = 2}).ok());
  sheet->dismiss();
  step(1);
  player().handleCMbuttonClickEvent();
  step(1);
  settle();
  EXPECT_TRUE(player().shrinkViewController()->isVisible());
  renderScreen("shrink-sheet");
}

}  // namespace
}  // namespace paneltest
