#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/Button.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Switch.h"
#include "platform/ui/Window.h"
#include "tests/platform/ui/UiFixture.h"

namespace {

using ui::Point;
using ui::Rect;

class TouchTest : public uitest::UiFixture {
 protected:
  void SetUp() override {
    UiFixture::SetUp();
    window = std::make_shared<ui::Window>();
    window->makeKeyAndVisible();
  }

  std::shared_ptr<ui::Window> window;
  std::vector<std::string> events;

  std::shared_ptr<ui::Button> addButton(const Rect& frame) {
    auto button = std::make_shared<ui::Button>(frame);
    button->addAction(ui::kTouchDown, [this](ui::Control&) { events.push_back("down"); });
    button->addAction(ui::kTouchUpInside, [this](ui::Control&) { events.push_back("up inside"); });
    button->addAction(ui::kTouchUpOutside, [this](ui::Control&) { events.push_back("up outside"); });
    button->addAction(ui::kTouchCancel, [this](ui::Control&) { events.push_back("cancel"); });
    window->addSubview(button);
    return button;
  }
};

TEST_F(TouchTest, ATapOnAButtonSendsDownAndUpInside) {
  auto button = addButton({10, 10, 100, 40});
  window->tap({50, 30});
  EXPECT_EQ(events, (std::vector<std::string>{"down", "up inside"}));
  EXPECT_FALSE(button->isHighlighted());
}

TEST_F(TouchTest, LiftingFarOutsideIsUpOutsideAndDisabledButtonsStayQuiet) {
  auto button = addButton({10, 10, 100, 40});
  window->touchBegan({50, 30});
  EXPECT_TRUE(button->isHighlighted());
  window->touchMoved({50, 300});
  window->touchEnded({50, 300});
  EXPECT_EQ(events.back(), "up outside");
  events.clear();
  button->setEnabled(false);
  window->tap({50, 30});
  EXPECT_TRUE(events.empty());
}

TEST_F(TouchTest, RemovedActionsAreNotSent) {
  auto button = addButton({10, 10, 100, 40});
  int taps = 0;
  auto id = button->addAction(ui::kTouchUpInside, [&](ui::Control&) { ++taps; });
  button->removeAction(id);
  button->removeActions(ui::kTouchDown);
  window->tap({50, 30});
  EXPECT_EQ(taps, 0);
  EXPECT_EQ(events, (std::vector<std::string>{"up inside"}));
}

TEST_F(TouchTest, TapRecognizersAboveAControlLeaveItsTapsAlone) {
  auto panel = std::make_shared<ui::View>(Rect{0, 0, 320, 200});
  window->addSubview(panel);
  int panelTaps = 0;
  panel->addGestureRecognizer(std::make_shared<ui::TapGestureRecognizer>([&](ui::GestureRecognizer& tap) {
    if (tap.state() == ui::GestureState::Ended) ++panelTaps;
  }));
  auto button = std::make_shared<ui::Button>(Rect{10, 10, 100, 40});
  int buttonTaps = 0;
  button->addAction(ui::kTouchUpInside, [&](ui::Control&) { ++buttonTaps; });
  panel->addSubview(button);
  window->tap({50, 30});
  window->tap({200, 100});
  EXPECT_EQ(buttonTaps, 1);
  EXPECT_EQ(panelTaps, 1);
}

TEST_F(TouchTest, APanReportsItsTranslationAndCancelsTheViewsTouches) {
  auto button = addButton({0, 0, 320, 400});
  std::vector<ui::GestureState> states;
  Point translation;
  auto pan = std::make_shared<ui::PanGestureRecognizer>([&](ui::GestureRecognizer& r) {
    states.push_back(r.state());
    translation = static_cast<ui::PanGestureRecognizer&>(r).translationInView(window.get());
  });
  button->addGestureRecognizer(pan);
  window->drag({100, 100}, {100, 180}, 4);
  EXPECT_EQ(states.front(), ui::GestureState::Began);
  EXPECT_EQ(states.back(), ui::GestureState::Ended);
  EXPECT_EQ(translation, (Point{0, 80}));
  EXPECT_EQ(events, (std::vector<std::string>{"down", "cancel"}));
  EXPECT_EQ(pan->state(), ui::GestureState::Possible);  // ready for the next touch
}

TEST_F(TouchTest, ALongPressBeginsAfterItsDurationOnTheClock) {
  auto view = std::make_shared<ui::View>(Rect{0, 0, 320, 400});
  window->addSubview(view);
  std::vector<ui::GestureState> states;
  view->addGestureRecognizer(
      std::make_shared<ui::LongPressGestureRecognizer>([&](ui::GestureRecognizer& r) { states.push_back(r.state()); }));
  window->touchBegan({50, 50});
  step(0.4);
  EXPECT_TRUE(states.empty());
  step(0.1);
  EXPECT_EQ(states, (std::vector<ui::GestureState>{ui::GestureState::Began}));
  window->touchEnded({52, 50});
  EXPECT_EQ(states.back(), ui::GestureState::Ended);
  states.clear();
  window->touchBegan({50, 50});
  window->touchMoved({90, 50});  // moving away first: no long press
  step(1);
  window->touchEnded({90, 50});
  EXPECT_TRUE(states.empty());
}

TEST_F(TouchTest, SlidersFollowTheFingerAndReportByTheirMode) {
  auto slider = std::make_shared<ui::Slider>(Rect{0, 100, 228, 30});
  slider->setMaximumValue(200);
  window->addSubview(slider);
  std::vector<float> reported;
  slider->addAction(ui::kValueChanged,
                    [&](ui::Control& c) { reported.push_back(static_cast<ui::Slider&>(c).value()); });
  window->drag({14, 115}, {114, 115}, 2);  // thumb 28 wide: x 14 is 0, x 214 is the maximum
  EXPECT_FLOAT_EQ(slider->value(), 100);
  EXPECT_EQ(reported.size(), 2u);
  reported.clear();
  slider->setContinuous(false);
  window->drag({114, 115}, {500, 115}, 3);
  EXPECT_EQ(reported, (std::vector<float>{200}));
  slider->setValue(-5);
  EXPECT_FLOAT_EQ(slider->value(), 0);
  slider->setMaximumValue(-1);  // the range never turns inside out
  EXPECT_FLOAT_EQ(slider->minimumValue(), -1);
  EXPECT_EQ(reported.size(), 1u);
}

TEST_F(TouchTest, ASwitchTurnsOverOnATap) {
  auto toggle = std::make_shared<ui::Switch>(Rect{10, 10, 0, 0});
  EXPECT_EQ(toggle->bounds().size, (ui::Size{51, 31}));
  window->addSubview(toggle);
  int changes = 0;
  toggle->addAction(ui::kValueChanged, [&](ui::Control&) { ++changes; });
  window->tap({30, 20});
  EXPECT_TRUE(toggle->isOn());
  toggle->setOn(false);
  EXPECT_EQ(changes, 1);
}

}  // namespace
