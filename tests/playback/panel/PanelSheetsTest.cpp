#include "platform/ui/NavigationController.h"
#include "src/playback/panel/ChannelDetailInfoViewController.h"
#include "src/playback/panel/ShrinkViewController.h"
#include "src/services/UsageAnalytics.h"
#include "src/services/account/HomePageViewController.h"
#include "tests/playback/panel/PanelFixture.h"

namespace paneltest {
namespace {

using playback::ChannelDetailInfoViewController;
using playback::ShrinkViewController;

std::shared_ptr<ChannelDetailInfoViewController> infoSheet(std::optional<std::string> description) {
  auto programme = std::make_shared<api::ProgramModel>();
  programme->setProgramName("深夜电台");
  programme->setProgramDesc(std::move(description));
  programme->setUser(std::make_shared<api::UserModel>());
  auto sheet = std::make_shared<ChannelDetailInfoViewController>(programme);
  (void)sheet->view();
  return sheet;
}

TEST_F(PanelTest, InfoSheetDescriptionAndCloseButton) {
  auto empty = infoSheet("");
  EXPECT_EQ(empty->descriptionView()->text(), "暂无节目详情");
  EXPECT_EQ(empty->descriptionView()->textAlignment(), ui::TextAlignment::Center);
  EXPECT_EQ(empty->closeButton()->frame(), ui::Rect(148.5, 525, 23, 23));

  auto long_ = infoSheet(std::string(40, 'x') + std::string(" 这是一个很长的节目介绍，") + std::string(600, 'y'));
  EXPECT_GT(long_->descriptionView()->frame().height(), 50);
  EXPECT_EQ(long_->bgScrollview()->contentSize().height, long_->descriptionView()->frame().maxY() + 50);

  ui::Screen::setMain(ui::Screen({320, 480}));
  EXPECT_EQ(infoSheet(std::nullopt)->closeButton()->frame().minY(), 437);
}

TEST_F(PanelTest, InfoSheetKeepsItsProgrammeAndOpensTheDjPage) {
  auto pane = services::AppDelegate::sharedDelegate().getMainController();
  std::weak_ptr<api::ProgramModel> weak;
  {
    auto sheet = infoSheet("说明");
    weak = sheet->pmodel();
    ASSERT_TRUE(pane->presentViewController(sheet, false));
  }
  EXPECT_FALSE(weak.expired()) << "the sheet owns its programme";
  auto sheet = std::static_pointer_cast<ChannelDetailInfoViewController>(pane->presentedViewController());
  EXPECT_FALSE(sheet->djArea()->gestureRecognizers().empty()) << "the whole area answers taps";
  sheet->djNameClick();
  auto navigation = std::dynamic_pointer_cast<ui::NavigationController>(sheet->presentedViewController());
  ASSERT_TRUE(navigation);
  auto* home = dynamic_cast<services::HomePageViewController*>(navigation->topViewController());
  ASSERT_TRUE(home);
  EXPECT_EQ(home->fromType(), services::HomePageViewController::kFromPlayer);
}

class ShrinkSheetTest : public PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    host->addSubview(screen);
  }
  std::shared_ptr<ui::View> host = std::make_shared<ui::View>(ui::Rect{0, 0, 320, 568});
  std::shared_ptr<ui::View> screen = std::make_shared<ui::View>(ui::Rect{0, 0, 320, 568});
  std::shared_ptr<ShrinkViewController> sheet = std::make_shared<ShrinkViewController>(4.0);
};

TEST_F(ShrinkSheetTest, FramesShowAndCancel) {
  sheet->showInView(*screen);
  EXPECT_EQ(sheet->buttonView()->frame(), ui::Rect(0, 426, 320, 142));
  EXPECT_EQ(sheet->cancelButton()->frame(), ui::Rect(0, 102, 320, 40));
  EXPECT_FALSE(sheet->isVisible());
  step(0.3);
  settle();
  EXPECT_TRUE(sheet->isVisible());
  EXPECT_EQ(screen->transform(), ui::AffineTransform::scale(0.9));
  sheet->cancelButton()->sendActions(ui::kTouchUpInside);
  EXPECT_TRUE(sheet->isVisible()) << "until the sheet has slid away";
  step(0.3);
  settle();
  EXPECT_FALSE(sheet->isVisible());
  EXPECT_TRUE(screen->transform().isIdentity());
  EXPECT_FALSE(sheet->view()->superview());
}

TEST_F(ShrinkSheetTest, HideWhileShowingAndNoHost) {
  sheet->showInView(*screen);
  step(0.1);
  sheet->hide();
  step(0.5);
  settle();
  EXPECT_FALSE(sheet->isVisible()) << "a hide during the show wins";
  EXPECT_FALSE(sheet->view()->superview());

  auto alone = std::make_shared<ui::View>(ui::Rect{0, 0, 320, 568});
  sheet->showInView(*alone);
  step(0.5);
  settle();
  EXPECT_FALSE(sheet->isVisible());
  EXPECT_FALSE(sheet->view()->superview());
  EXPECT_TRUE(alone->transform().isIdentity());

  sheet->showInView(*screen);
  step(0.3);
  (void)services::UsageAnalytics::takePendingEvents();
  sheet->goToSafariBtnPressed();
  EXPECT_EQ(ui::Application::shared().openedURLs(), std::vector<std::string>{ShrinkViewController::kPartnerAddress});
  ASSERT_EQ(services::UsageAnalytics::pendingEvents().size(), 1u);
}

}  // namespace
}  // namespace paneltest
