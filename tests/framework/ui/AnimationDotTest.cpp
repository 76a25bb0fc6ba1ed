#include "src/framework/ui/AnimationDot.h"

#include <gtest/gtest.h>

#include "platform/ui/Animator.h"
#include "platform/ui/Renderer.h"
#include "tests/platform/ui/UiFixture.h"

namespace {

using framework::AnimationDot;
using ui::AffineTransform;
using ui::Rect;

class AnimationDotTest : public uitest::UiFixture {
 protected:
  // Moves the clock to `seconds` after the dot was made.
  void at(double seconds) {
    step(seconds - elapsed);
    elapsed = seconds;
  }
  double elapsed = 0;
};

TEST_F(AnimationDotTest, TheDotIsAQuarterOfTheSmallerSideAndTheRingsStartTwoPointsWide) {
  auto square = AnimationDot::create(Rect{0, 0, 40, 40});
  // The pulse has begun, so the dot's size is read from its bounds.
  EXPECT_EQ(square->dot()->bounds().size, (ui::Size{10, 10}));
  EXPECT_EQ(square->dot()->center(), (ui::Point{20, 20}));
  EXPECT_EQ(square->dot()->layer().cornerRadius(), 5);
  EXPECT_EQ(square->backFirst()->frame(), (Rect{19, 19, 2, 2}));
  EXPECT_EQ(square->subviews().back(), square->dot());
  EXPECT_EQ(square->subviews().front(), square->backSecond());

  auto tall = AnimationDot::create(Rect{0, 0, 30, 60});
  EXPECT_EQ(tall->dot()->bounds().size, (ui::Size{6, 6}));
  square.reset();
  tall.reset();

  auto tiny = AnimationDot::create(Rect{0, 0, 7, 7});
  EXPECT_EQ(tiny->dot()->bounds().size, (ui::Size{0, 0}));
  EXPECT_TRUE(tiny->backFirst()->isHidden());
  EXPECT_EQ(ui::Animator::shared().animationCount(), 0u);
}

TEST_F(AnimationDotTest, OneCycleTakesThePulseThenBothRingsAndStartsAgainAfterAPause) {
  auto dot = AnimationDot::create(Rect{0, 0, 40, 40});
  auto scaleOf = [](const std::shared_ptr<ui::View>& view) { return view->transform().a; };
  EXPECT_DOUBLE_EQ(scaleOf(dot->dot()), 0.9);
  at(0.05);
  EXPECT_DOUBLE_EQ(scaleOf(dot->dot()), 0.9);
  at(0.25);
  EXPECT_DOUBLE_EQ(scaleOf(dot->dot()), 1.4);
  at(0.45);
  EXPECT_TRUE(dot->dot()->transform().isIdentity());
  at(0.65);
  EXPECT_DOUBLE_EQ(scaleOf(dot->backSecond()), 15);
  EXPECT_EQ(dot->backSecond()->alpha(), 0.5);
  at(1.0);
  EXPECT_DOUBLE_EQ(scaleOf(dot->backSecond()), 30);
  EXPECT_EQ(dot->backSecond()->alpha(), 0);
  EXPECT_DOUBLE_EQ(scaleOf(dot->backFirst()), 15);
  at(1.1);
  ASSERT_TRUE(
      ui::renderToPNG(*dot, renderedPath("animation-dot"), {.scale = 4, .background = ui::Color::rgb255(60, 80, 110)})
          .ok());
  at(1.5);
  EXPECT_TRUE(dot->backSecond()->transform().isIdentity());
  EXPECT_DOUBLE_EQ(scaleOf(dot->backFirst()), 30);
  EXPECT_EQ(dot->backFirst()->alpha(), 0);
  at(2.0);
  EXPECT_TRUE(dot->backFirst()->transform().isIdentity());
  EXPECT_TRUE(dot->dot()->transform().isIdentity());
  at(2.35);
  EXPECT_EQ(dot->backFirst()->alpha(), 1);
  EXPECT_DOUBLE_EQ(scaleOf(dot->dot()), 0.9);
}

TEST_F(AnimationDotTest, TheCycleEndsWithItsView) {
  auto host = std::make_shared<ui::View>(Rect{0, 0, 100, 100});
  host->addSubview(AnimationDot::create(Rect{0, 0, 40, 40}));
  at(0.7);
  EXPECT_GT(ui::Animator::shared().animationCount(), 0u);
  host.reset();
  EXPECT_EQ(ui::Animator::shared().animationCount(), 0u);

  // Gone during the pause: the restart finds nothing to run.
  auto paused = AnimationDot::create(Rect{0, 0, 40, 40});
  at(0.7 + 2.0);
  EXPECT_EQ(ui::Animator::shared().animationCount(), 0u);
  paused.reset();
  at(5);
  EXPECT_EQ(ui::Animator::shared().animationCount(), 0u);
}

}  // namespace
