#include <gtest/gtest.h>

#include <memory>

#include "platform/ui/Renderer.h"
#include "platform/ui/Window.h"
#include "src/playback/timer/SleepTimer.h"
#include "src/playback/timer/SleepTimingViewController.h"
#include "tests/platform/ui/UiFixture.h"

namespace playback {
namespace {

class SleepTimingViewControllerTest : public uitest::UiFixture {
 protected:
  void SetUp() override {
    UiFixture::SetUp();
    window->setRootViewController(root);
    window->makeKeyAndVisible();
  }
  void TearDown() override {
    SleepTimingViewController::resetForTesting();
    SleepTimer::resetForTesting();
    UiFixture::TearDown();
  }

  void open() {
    ASSERT_TRUE(root->presentViewController(screen, false));
    screen->view()->layoutIfNeeded();
  }
  void tapTimingButton() { screen->timingButton()->sendActions(ui::kTouchUpInside); }

  std::shared_ptr<ui::Window> window = std::make_shared<ui::Window>(ui::Rect{0, 0, 320, 568});
  std::shared_ptr<ui::ViewController> root = std::make_shared<ui::ViewController>();
  const std::shared_ptr<SleepTimingViewController>& screen = SleepTimingViewController::share();
  SleepTimer& timer = SleepTimer::shareSleepTimer();
};

TEST_F(SleepTimingViewControllerTest, StartingWithoutAChoiceCountsFifteenMinutesAndClosesTheScreen) {
  open();
  ASSERT_TRUE(ui::renderToPNG(*screen->view(), renderedPath("sleep_timing_picker")).ok());
  EXPECT_FALSE(screen->pickerContentView()->isHidden());
  EXPECT_EQ(screen->timingPickerView()->selectedRow(0), 0);
  auto row = std::dynamic_pointer_cast<SleepTimingPickerRowView>(screen->timingPickerView()->viewForRow(3, 0));
  ASSERT_TRUE(row);
  EXPECT_EQ(row->timingLabel()->text(), "90");

  tapTimingButton();
  EXPECT_TRUE(timer.isTiming());
  EXPECT_EQ(timer.currentLeftTimeString(), "14 : 59");
  EXPECT_TRUE(screen->isStartTiming());
  EXPECT_EQ(screen->timingButton()->titleForState(ui::kStateNormal), "停止计时");
  step(1);
  EXPECT_FALSE(root->presentedViewController());
  EXPECT_EQ(screen->minuteLabel()->text(), "14");
  EXPECT_EQ(screen->secondLabel()->text(), "58");

  open();  // opened again while timing: the countdown shows
  EXPECT_TRUE(screen->pickerContentView()->isHidden());
  EXPECT_FALSE(screen->timingView()->isHidden());
  ASSERT_TRUE(ui::renderToPNG(*screen->view(), renderedPath("sleep_timing_running")).ok());

  tapTimingButton();
  EXPECT_FALSE(timer.isTiming());
  EXPECT_FALSE(screen->isStartTiming());
  EXPECT_EQ(screen->minuteLabel()->text(), "00");
  EXPECT_FALSE(screen->pickerContentView()->isHidden());
  EXPECT_EQ(screen->timingButton()->titleForState(ui::kStateNormal), "开始计时");
}

TEST_F(SleepTimingViewControllerTest, TheChosenRowSetsTheDurationAndTheEndResetsTheScreen) {
  open();
  screen->didSelectRow(*screen->timingPickerView(), 3, 0);
  screen->didSelectRow(*screen->timingPickerView(), 9, 0);  // no such row: the choice stays
  tapTimingButton();
  EXPECT_EQ(timer.currentLeftTimeString(), "89 : 59");
  step(90 * 60);
  EXPECT_FALSE(timer.isTiming());
  EXPECT_FALSE(screen->isStartTiming());
  EXPECT_FALSE(screen->pickerContentView()->isHidden());
  EXPECT_EQ(screen->secondLabel()->text(), "00");
  EXPECT_EQ(screen->timingButton()->titleForState(ui::kStateNormal), "开始计时");
}

}  // namespace
}  // namespace playback
