#include "platform/ui/AlertView.h"
#include "src/playback/panel/ChannelDetailInfoViewController.h"
#include "src/services/UsageAnalytics.h"
#include "src/services/account/LoginViewController.h"
#include "tests/playback/panel/PanelFixture.h"

namespace paneltest {
namespace {

using playback::AudioPlayerView;

class PanelActionsTest : public PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    api.answerWithBody("user._subscribe", R"({"err":"hapn.ok","data":{}})");
    api.answerWithBody("user._unsubscribe", R"({"err":"hapn.ok","data":{}})");
  }
  // Presses the three buttons and gives the toast each left on the panel (empty for none).
  std::vector<std::string> refusals(const std::vector<std::string>& toasts) {
    std::vector<std::string> seen;
    auto& panel = player();
    for (auto press : {&AudioPlayerView::handleAudioPlayerDownloadButtonClickEvent,
                       &AudioPlayerView::handleAudioPlayerFavButtonClickEvent,
                       &AudioPlayerView::handleAudioPlayerShareButtonClickEvent}) {
      (panel.*press)();
      std::string found;
      for (const std::string& toast : toasts)
        if (panelLabels(toast) > 0) found = toast;
      seen.push_back(found);
      step(10);
      settle();
    }
    return seen;
  }
  static std::shared_ptr<ui::AlertView> lastAlert() {
    auto alerts = ui::AlertView::visibleAlerts();
    return alerts.empty() ? nullptr : alerts.back();
  }
  std::size_t calls(const std::string& method) const { return api.callsTo(method).size(); }
};

const std::vector<std::string> kToasts = {
    AudioPlayerView::kAlbumNoOfflineToast,       AudioPlayerView::kUnpublishedNoOfflineToast,
    AudioPlayerView::kOfflineModeNoOfflineToast, AudioPlayerView::kAlbumNoCollectToast,
    AudioPlayerView::kUnpublishedNoCollectToast, AudioPlayerView::kOfflineModeNoCollectToast,
    AudioPlayerView::kUnpublishedNoShareToast,   AudioPlayerView::kAlbumNoShareToast,
    AudioPlayerView::kOfflineModeNoShareToast,
};

TEST_F(PanelActionsTest, RefusalOrder) {
  auto& panel = shownPanel();
  panel.playSAlbum(std::make_shared<api::SAlbumModel>(), playertest::songs({"a"}), std::nullopt);
  EXPECT_EQ(refusals(kToasts), (std::vector<std::string>{"专辑不能离线", "专辑不能收藏", "专辑不能分享"}));

  panel.playSong(playertest::song("s"));
  EXPECT_EQ(refusals(kToasts), (std::vector<std::string>{"专辑不能离线", "专辑不能收藏", ""}))
      << "a single song is shared, never collected or kept offline";
  ASSERT_EQ(services::ShareButtonActionViewController::shownSheets().size(), 1u);
  EXPECT_FALSE(services::ShareButtonActionViewController::shownSheets()[0]->program());
  EXPECT_EQ(services::ShareButtonActionViewController::shownSheets()[0]->delegate(), &panel);

  auto programme = playProgramme("9");
  programme->setStatus("0");
  services::AppDelegate::sharedDelegate().setIsOffline(true);
  EXPECT_EQ(refusals(kToasts),
            (std::vector<std::string>{"未发布节目不能离线", "未发布节目不能收藏", "未发布节目不能分享"}));
  programme->setStatus("1");
  EXPECT_EQ(refusals(kToasts),
            (std::vector<std::string>{"离线模式不能取消离线", "离线模式不能取消收藏", "离线模式不能分享"}))
      << "offline mode refuses even a programme that is not kept offline";
  EXPECT_EQ(calls("user._subscribe") + calls("user._unsubscribe"), 0u);
}

TEST_F(PanelActionsTest, WithoutAUserTheLoginOrRegistrationComesUp) {
  shownPanel();
  playProgramme("9");
  player().handleAudioPlayerDownloadButtonClickEvent();
  auto pane = services::AppDelegate::sharedDelegate().getMainController();
  auto login = std::dynamic_pointer_cast<services::LoginViewController>(pane->presentedViewController());
  ASSERT_TRUE(login);
  EXPECT_FALSE(login->isRegist());
  pane->dismissViewController(false);
  player().handleAudioPlayerFavButtonClickEvent();
  login = std::dynamic_pointer_cast<services::LoginViewController>(pane->presentedViewController());
  ASSERT_TRUE(login);
  EXPECT_TRUE(login->isRegist());
}

TEST_F(PanelActionsTest, CancellingAKeptProgrammeAsksFirstAboutThatProgramme) {
  logIn("5");
  shownPanel();
  auto programme = playProgramme("9");
  player().handleAudioPlayerFavButtonClickEvent();
  ASSERT_TRUE(runUntil([&] { return calls("user._subscribe") == 1; }));
  EXPECT_FALSE(lastAlert()) << "collecting never asks";

  programme->setFav("1");
  programme->setSync("1");
  player().handleAudioPlayerFavButtonClickEvent();
  ASSERT_TRUE(lastAlert());
  EXPECT_EQ(lastAlert()->title(), "取消收藏，会删除已离线节目!");
  EXPECT_EQ(lastAlert()->buttonTitle(0), "删除");
  EXPECT_EQ(lastAlert()->buttonTitle(1), "放弃");
  lastAlert()->pressButton(1);
  settle();
  EXPECT_EQ(calls("user._unsubscribe"), 0u) << "keeping it does nothing";

  player().handleAudioPlayerDownloadButtonClickEvent();
  EXPECT_EQ(lastAlert()->title(), "取消离线，删除已离线节目!");
  playProgramme("10");
  lastAlert()->pressButton(0);
  ASSERT_TRUE(runUntil([&] { return calls("user._subscribe") == 2; }));
  EXPECT_EQ(api.callsTo("user._subscribe")[1].formValue("program_id"), "9") << "the programme asked about";
  EXPECT_EQ(api.callsTo("user._subscribe")[1].formValue("sync"), "0");
}

TEST_F(PanelActionsTest, LinksGoToTheSystemOnlyWhenTheyAreWebAddresses) {
  auto& panel = shownPanel();
  auto programme = playProgramme("9");
  panel.configPri();
  EXPECT_TRUE(panel.linkClickView()->isHidden());
  programme->setRefLink("javascript:alert(1)");
  panel.configPri();
  EXPECT_FALSE(panel.linkClickView()->isHidden());
  panel.handleLinkClickViewEvent();
  EXPECT_TRUE(ui::Application::shared().openedURLs().empty());
  programme->setRefLink("https://shop.example.com/a");
  (void)services::UsageAnalytics::takePendingEvents();
  panel.handleLinkClickViewEvent();
  EXPECT_EQ(ui::Application::shared().openedURLs(), std::vector<std::string>{"https://shop.example.com/a?p=i-program"});
  EXPECT_EQ(services::UsageAnalytics::pendingEvents().size(), 1u);
}

TEST_F(PanelActionsTest, CreatorInformationAndLongPress) {
  auto& panel = shownPanel();
  auto programme = playProgramme("9");
  auto pane = services::AppDelegate::sharedDelegate().getMainController();
  programme->user()->setPriUserPage("0");
  panel.handleShowUserInfoButtonEvent();
  EXPECT_EQ(panelLabels(AudioPlayerView::kNoHomePageToast), 1);
  EXPECT_FALSE(pane->presentedViewController());
  programme->user()->setPriUserPage("1");
  panel.handleShowUserInfoButtonEvent();
  EXPECT_TRUE(panel.isHomePageShowing());
  step(1);
  panel.handleJiemuButtonClickEvent();
  auto home = pane->presentedViewController();
  ASSERT_TRUE(home);
  auto sheet = std::dynamic_pointer_cast<playback::ChannelDetailInfoViewController>(home->presentedViewController());
  ASSERT_TRUE(sheet) << "presented by the home page that is up";
  EXPECT_EQ(sheet->pmodel(), programme);

  panel.handleHeaderViewLongPressGesture();
  ASSERT_EQ(services::ProgramActionSheet::shownSheets().size(), 1u);
  EXPECT_EQ(services::ProgramActionSheet::shownSheets()[0]->startSong(), panel.selectedSong());
  EXPECT_EQ(services::ProgramActionSheet::shownSheets()[0]->coverView(), panel.coverView());
  services::AppDelegate::sharedDelegate().setIsOffline(true);
  panel.handleHeaderViewLongPressGesture();
  EXPECT_EQ(services::ProgramActionSheet::shownSheets().size(), 1u) << "only online";
}

}  // namespace
}  // namespace paneltest
