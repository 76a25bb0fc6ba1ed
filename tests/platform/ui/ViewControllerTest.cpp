#include "platform/ui/ViewController.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/ActionSheet.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Nib.h"
#include "platform/ui/Window.h"
#include "tests/platform/ui/UiFixture.h"

namespace {

using ui::Rect;

class Screen : public ui::ViewController {
 public:
  explicit Screen(std::vector<std::string>* log, std::string name) : log_(log), name_(std::move(name)) {}
  void viewDidLoad() override { log_->push_back(name_ + " loaded"); }
  void viewDidAppear(bool) override { log_->push_back(name_ + " appeared"); }
  void viewDidDisappear(bool) override { log_->push_back(name_ + " disappeared"); }

 private:
  std::vector<std::string>* log_;
  std::string name_;
};

class ViewControllerTest : public uitest::UiFixture {
 protected:
  void SetUp() override {
    UiFixture::SetUp();
    window = std::make_shared<ui::Window>();
    window->makeKeyAndVisible();
    root = std::make_shared<Screen>(&log, "root");
    window->setRootViewController(root);
  }

  std::vector<std::string> log;
  std::shared_ptr<ui::Window> window;
  std::shared_ptr<Screen> root;
};

TEST_F(ViewControllerTest, TheViewLoadsOnceOnFirstUse) {
  auto screen = std::make_shared<Screen>(&log, "a");
  EXPECT_FALSE(screen->isViewLoaded());
  screen->view();
  screen->view();
  EXPECT_EQ(std::count(log.begin(), log.end(), "a loaded"), 1);
  EXPECT_EQ(screen->view()->bounds(), ui::Screen::main().bounds());
}

TEST_F(ViewControllerTest, APresentedScreenSlidesUpAndDownAgain) {
  auto sheet = std::make_shared<Screen>(&log, "sheet");
  bool presented = false, dismissed = false;
  ASSERT_TRUE(root->presentViewController(sheet, true, [&] { presented = true; }));
  EXPECT_EQ(sheet->view()->window(), window.get());
  EXPECT_EQ(sheet->presentingViewController(), root.get());
  EXPECT_EQ(sheet->view()->presentation().center.y, 568 + 284);
  EXPECT_FALSE(root->presentViewController(std::make_shared<Screen>(&log, "other"), false));
  step(0.3);
  EXPECT_TRUE(presented);
  EXPECT_EQ(sheet->view()->presentation().center.y, 284);
  sheet->dismissViewController(true, [&] { dismissed = true; });  // a presented screen dismisses itself
  EXPECT_EQ(root->presentedViewController(), nullptr);
  step(0.3);
  EXPECT_TRUE(dismissed);
  EXPECT_EQ(sheet->view()->superview(), nullptr);
  EXPECT_EQ(log.back(), "sheet disappeared");
}

TEST_F(ViewControllerTest, NothingIsPresentedWithoutAWindow) {
  ui::Application::shared().resetForTesting();
  auto loose = std::make_shared<Screen>(&log, "loose");
  EXPECT_FALSE(loose->presentViewController(std::make_shared<Screen>(&log, "x"), false));
}

TEST_F(ViewControllerTest, NavigationPushesAndPopsUnderTheBar) {
  auto first = std::make_shared<Screen>(&log, "first");
  first->setTitle("离线节目");
  auto navigation = std::make_shared<ui::NavigationController>(first);
  window->setRootViewController(navigation);
  EXPECT_EQ(first->view()->frame(), (Rect{0, 44, 320, 524}));
  EXPECT_EQ(navigation->navigationBar().titleLabel().text(), "离线节目");
  EXPECT_EQ(navigation->navigationBar().leftView(), nullptr);

  auto second = std::make_shared<Screen>(&log, "second");
  navigation->pushViewController(second, true);
  EXPECT_EQ(navigation->topViewController(), second.get());
  EXPECT_EQ(second->navigationController(), navigation.get());
  step(0.3);
  EXPECT_EQ(log.back(), "second appeared");
  EXPECT_EQ(first->view()->superview(), nullptr);

  ASSERT_NE(navigation->navigationBar().leftView(), nullptr);  // the back button
  ui::Point back = navigation->navigationBar().leftView()->convertPoint({5, 5}, nullptr);
  window->tap(back);
  step(0.3);
  EXPECT_EQ(navigation->topViewController(), first.get());
  EXPECT_EQ(second->navigationController(), nullptr);
  EXPECT_EQ(navigation->popViewController(false), nullptr);  // the root stays
}

TEST_F(ViewControllerTest, BarButtonItemsRunTheirActions) {
  int pressed = 0;
  auto first = std::make_shared<Screen>(&log, "first");
  first->navigationItem().rightBarButtonItem = std::make_shared<ui::BarButtonItem>("开始离线", [&] { ++pressed; });
  auto navigation = std::make_shared<ui::NavigationController>(first);
  window->setRootViewController(navigation);
  ui::View* right = navigation->navigationBar().rightView();
  ASSERT_NE(right, nullptr);
  window->tap(right->convertPoint({right->bounds().midX(), right->bounds().midY()}, nullptr));
  EXPECT_EQ(pressed, 1);
}

class Clicks : public ui::AlertViewDelegate, public ui::ActionSheetDelegate {
 public:
  std::vector<int> alertClicks, sheetClicks;
  void clickedButtonAtIndex(ui::AlertView&, int index) override { alertClicks.push_back(index); }
  void clickedButtonAtIndex(ui::ActionSheet&, int index) override { sheetClicks.push_back(index); }
};

TEST_F(ViewControllerTest, AlertsAndSheetsRecordWhatTheyShowAndTakePresses) {
  Clicks clicks;
  auto alert = std::make_shared<ui::AlertView>("真的要在非WIFI条件下载歌曲吗?", std::nullopt,
                                               static_cast<ui::AlertViewDelegate*>(&clicks), "点错剁手",
                                               std::vector<std::string>{"流量小意思"});
  alert->show();
  ASSERT_EQ(ui::AlertView::visibleAlerts().size(), 1u);
  EXPECT_EQ(ui::AlertView::visibleAlerts()[0]->buttonTitle(alert->firstOtherButtonIndex()), "流量小意思");
  EXPECT_EQ(alert->cancelButtonIndex(), 0);
  alert->pressButton(5);
  EXPECT_TRUE(clicks.alertClicks.empty());
  alert->pressButton(1);
  EXPECT_EQ(clicks.alertClicks, (std::vector<int>{1}));
  EXPECT_TRUE(ui::AlertView::visibleAlerts().empty());

  auto sheet = std::make_shared<ui::ActionSheet>(std::nullopt, static_cast<ui::ActionSheetDelegate*>(&clicks), "取消",
                                                 "删除", std::vector<std::string>{"分享"});
  sheet->showInView(*root->view());
  EXPECT_EQ(sheet->destructiveButtonIndex(), 0);
  EXPECT_EQ(sheet->cancelButtonIndex(), 2);
  EXPECT_EQ(sheet->shownInView(), root->view());
  sheet->pressButton(2);
  EXPECT_EQ(clicks.sheetClicks, (std::vector<int>{2}));
  EXPECT_TRUE(ui::ActionSheet::visibleSheets().empty());
}

class Woken : public ui::View {
 public:
  int awakenings = 0;
  void awakeFromNib() override { ++awakenings; }
};

TEST_F(ViewControllerTest, NibsBuildTheirViewsAndWakeEveryOne) {
  std::any seenOwner;
  ui::Nib::registerNib("TestPanel", [&](const std::any& owner) {
    seenOwner = owner;
    auto top = std::make_shared<Woken>();
    top->addSubview(std::make_shared<Woken>());
    return ui::Nib::TopLevelObjects{top, nullptr};
  });
  int marker = 0;
  auto objects = ui::Nib::instantiate("TestPanel", &marker);
  ASSERT_EQ(objects.size(), 1u);
  auto& top = static_cast<Woken&>(*objects[0]);
  EXPECT_EQ(top.awakenings, 1);
  EXPECT_EQ(static_cast<Woken&>(*top.subviews()[0]).awakenings, 1);
  EXPECT_EQ(std::any_cast<int*>(seenOwner), &marker);
  EXPECT_TRUE(ui::Nib::instantiate("NoSuchNib").empty());
  EXPECT_FALSE(ui::Nib::exists("NoSuchNib"));
}

TEST_F(ViewControllerTest, OpenedAddressesAreRecorded) {
  EXPECT_TRUE(ui::Application::shared().openURL("http://example.invalid/partner"));
  EXPECT_FALSE(ui::Application::shared().openURL(""));
  EXPECT_EQ(ui::Application::shared().openedURLs(), (std::vector<std::string>{"http://example.invalid/partner"}));
}

}  // namespace
