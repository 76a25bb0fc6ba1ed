#include <gtest/gtest.h>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/ReachabilityManualSource.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Nib.h"
#include "src/framework/network/NetWorkUitil.h"
#include "src/framework/ui/ApplicationWindow.h"
#include "src/framework/ui/QRVAlertView.h"
#include "src/services/account/HomePageViewController.h"
#include "src/services/account/LoginViewController.h"
#include "src/services/shell/AppDelegate.h"
#include "tests/services/ServicesFixture.h"

namespace services {
namespace {

class CountingPanel : public ui::View, public AudioPlayerPanel {
 public:
  void initAudioPlayer() override { ++inits; }
  int inits = 0;
};

class ShellTest : public testing::ServicesFixture {};

TEST_F(ShellTest, NetworkStatusIsZeroUntilTheFirstChangeThenFollowsEachOne) {
  auto source = std::make_shared<net::ReachabilityManualSource>(net::kReachabilityReachable);
  net::ReachabilitySource::setSystemForTesting(source);
  framework::NetWorkUitil::resetDefaultUitilForTesting();
  AppDelegate& app = AppDelegate::sharedDelegate();
  EXPECT_EQ(app.networkStatus(), 0);

  framework::NetWorkUitil::defaultUitil().startNotifier();
  source->setFlags(net::kReachabilityReachable | net::kReachabilityIsWWAN | net::kReachabilityTransientConnection);
  ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return app.networkStatus() == 3; }));
  source->setFlags(net::kReachabilityReachable);
  ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return app.networkStatus() == 1; }));

  framework::NetWorkUitil::resetDefaultUitilForTesting();
  net::ReachabilitySource::setSystemForTesting(nullptr);
}

TEST_F(ShellTest, MainPaneLoadsThePanelOnceAndSetsItUpOnce) {
  int builds = 0;
  std::shared_ptr<CountingPanel> built;
  ui::Nib::registerNib(AudioPlayerPanel::kNibName, [&](const std::any&) {
    ++builds;
    built = std::make_shared<CountingPanel>();
    return ui::Nib::TopLevelObjects{built};
  });
  auto pane = AppDelegate::sharedDelegate().getMainController();
  EXPECT_EQ(pane, AppDelegate::sharedDelegate().getMainController());
  auto panel = pane->audioPlayerView();
  EXPECT_EQ(pane->audioPlayerView(), panel);
  EXPECT_EQ(panel.get(), static_cast<AudioPlayerPanel*>(built.get()));
  EXPECT_EQ(builds, 1);
  EXPECT_EQ(built->inits, 1);
  EXPECT_EQ(built->superview(), pane->view().get());
  ui::Nib::registerNib(AudioPlayerPanel::kNibName, [](const std::any&) { return ui::Nib::TopLevelObjects{}; });
}

TEST_F(ShellTest, LoginComesUpOnTopOfWhateverThePaneAlreadyPresents) {
  auto pane = AppDelegate::sharedDelegate().getMainController();
  auto sheet = std::make_shared<ui::ViewController>();
  ASSERT_TRUE(pane->presentViewController(sheet, false));

  LoginViewController::popupRegistView(*pane);
  auto login = std::dynamic_pointer_cast<LoginViewController>(sheet->presentedViewController());
  ASSERT_NE(login, nullptr);
  EXPECT_TRUE(login->isRegist());
}

TEST_F(ShellTest, HomePageFromThePlayerPostsItsDismissalAndGoes) {
  auto pane = AppDelegate::sharedDelegate().getMainController();
  auto home = std::make_shared<HomePageViewController>();
  home->setFromType(HomePageViewController::kFromPlayer);
  auto navigation = std::make_shared<ui::NavigationController>(home);
  ASSERT_TRUE(pane->presentViewController(navigation, false));
  step(1);
  int posted = 0;
  foundation::NotificationCenter::defaultCenter().addObserver(this, HomePageViewController::kHomeDismissNotification,
                                                              [&](const foundation::Notification&) { ++posted; });

  (void)home->view();
  auto* back = dynamic_cast<ui::Button*>(home->navigationItem().leftBarButtonItem->customView().get());
  ASSERT_NE(back, nullptr);
  back->sendActions(ui::kTouchUpInside);
  step(1);
  EXPECT_EQ(posted, 1);
  EXPECT_EQ(pane->presentedViewController(), nullptr);
  foundation::NotificationCenter::defaultCenter().removeObserver(this);
}

TEST_F(ShellTest, SocialLogoutsAndTheSideMenuAreRecorded) {
  AppDelegate& app = AppDelegate::sharedDelegate();
  app.sinaWeiboLogout();
  app.tqqLogout();
  app.tqqLogout();
  EXPECT_EQ(app.sinaWeiboLogoutCount(), 1);
  EXPECT_EQ(app.tqqLogoutCount(), 2);
  EXPECT_NE(app.sharedMotionManager(), nullptr);
  EXPECT_EQ(app.sharedMotionManager(), app.sharedMotionManager());
  BaseViewController screen;
  EXPECT_FALSE(app.isLeftSideMenuOpen());
  screen.backToSideBar();
  EXPECT_TRUE(app.isLeftSideMenuOpen());
}

TEST_F(ShellTest, FrameworkAlertsDimTheDelegatesWindow) {
  const std::shared_ptr<ui::Window>& window = AppDelegate::sharedDelegate().window();
  EXPECT_EQ(framework::ApplicationWindow::window(), window);
  auto alert = framework::QRVAlertView::loadFromXib<framework::QRVAlertView>();
  ASSERT_TRUE(alert && alert->bgControl());
  EXPECT_EQ(alert->bgControl()->frame(), window->bounds());
}

}  // namespace
}  // namespace services
