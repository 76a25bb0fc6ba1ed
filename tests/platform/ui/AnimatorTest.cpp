#include "platform/ui/Animator.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "platform/ui/View.h"
#include "tests/platform/ui/UiFixture.h"

namespace {

using foundation::Duration;
using ui::AnimationCurve;
using ui::View;

class AnimatorTest : public uitest::UiFixture {
 protected:
  std::shared_ptr<View> view = std::make_shared<View>(ui::Rect{0, 0, 100, 100});
  std::vector<bool> completions;

  ui::AnimationCompletion record() {
    return [this](bool finished) { completions.push_back(finished); };
  }
  void fade(double to, double seconds, ui::AnimationOptions options = {.curve = AnimationCurve::Linear},
            double delay = 0) {
    View::animate(
        Duration(seconds), Duration(delay), options, [&] { view->setAlpha(to); }, record());
  }
};

TEST_F(AnimatorTest, TheValueChangesAtOnceAndThePresentationMovesOverTime) {
  fade(0, 1.0);
  EXPECT_EQ(view->alpha(), 0);
  EXPECT_DOUBLE_EQ(view->presentation().alpha, 1);
  step(0.25);
  EXPECT_NEAR(view->presentation().alpha, 0.75, 1e-6);
  EXPECT_TRUE(completions.empty());
  step(0.75);
  EXPECT_EQ(completions, (std::vector<bool>{true}));
  EXPECT_EQ(view->presentation().alpha, 0);
  EXPECT_EQ(ui::Animator::shared().animationCount(), 0u);
}

TEST_F(AnimatorTest, CurvesShapeTheProgress) {
  EXPECT_LT(ui::applyCurve(AnimationCurve::EaseIn, 0.5), 0.5);
  EXPECT_GT(ui::applyCurve(AnimationCurve::EaseOut, 0.5), 0.5);
  EXPECT_NEAR(ui::applyCurve(AnimationCurve::EaseInOut, 0.5), 0.5, 1e-6);
  EXPECT_DOUBLE_EQ(ui::applyCurve(AnimationCurve::EaseIn, 1.0), 1.0);
  fade(0, 1.0, {.curve = AnimationCurve::EaseIn});
  step(0.5);
  EXPECT_GT(view->presentation().alpha, 0.5);  // slow start: still mostly visible halfway
}

TEST_F(AnimatorTest, ADelayHoldsTheOldValueUntilTheAnimationStarts) {
  fade(0, 0.2, {.curve = AnimationCurve::Linear}, 3.0);
  step(2.9);
  EXPECT_DOUBLE_EQ(view->presentation().alpha, 1);
  EXPECT_TRUE(completions.empty());
  step(0.2);
  EXPECT_NEAR(view->presentation().alpha, 0.5, 1e-6);
  step(0.1);
  EXPECT_EQ(completions, (std::vector<bool>{true}));
}

TEST_F(AnimatorTest, ANewAnimationOfTheSamePropertyInterruptsTheOld) {
  fade(0, 1.0);
  step(0.5);
  View::animate(
      Duration(1.0), Duration(0), {.curve = AnimationCurve::Linear}, [&] { view->setAlpha(1); },
      [this](bool finished) { completions.push_back(finished); });
  step(0);
  EXPECT_EQ(completions, (std::vector<bool>{false}));
  // Without beginning from the current state, the new animation starts from the old target.
  EXPECT_DOUBLE_EQ(view->presentation().alpha, 0);
  step(1.0);
  EXPECT_EQ(completions, (std::vector<bool>{false, true}));
}

TEST_F(AnimatorTest, BeginningFromTheCurrentStateContinuesFromWhatIsShown) {
  fade(0, 1.0);
  step(0.5);
  fade(1, 1.0, {.curve = AnimationCurve::Linear, .beginFromCurrentState = true});
  EXPECT_NEAR(view->presentation().alpha, 0.5, 1e-6);
  step(0.5);
  EXPECT_NEAR(view->presentation().alpha, 0.75, 1e-6);
}

TEST_F(AnimatorTest, ABlockThatChangesNothingCompletesAtOnce) {
  View::animate(
      Duration(5.0), [] {}, record());
  step(0);
  EXPECT_EQ(completions, (std::vector<bool>{true}));
}

TEST_F(AnimatorTest, OneCompletionPerBlockWhenAllItsAnimationsEnd) {
  View::animate(
      Duration(0.3),
      [&] {
        view->setFrame({50, 50, 10, 10});
        view->setAlpha(0.2);
      },
      record());
  step(0.29);
  EXPECT_TRUE(completions.empty());
  EXPECT_LT(view->presentation().center.x, 55);
  step(0.01);
  EXPECT_EQ(completions, (std::vector<bool>{true}));
  EXPECT_EQ(view->presentation().center, (ui::Point{55, 55}));
}

TEST_F(AnimatorTest, RemovingAnimationsOrTheViewReportsNotFinished) {
  fade(0, 1.0);
  view->layer().removeAllAnimations();
  step(0);
  EXPECT_EQ(completions, (std::vector<bool>{false}));
  EXPECT_EQ(view->presentation().alpha, 0);
  fade(1, 1.0);
  view.reset();
  step(0);
  EXPECT_EQ(completions, (std::vector<bool>{false, false}));
}

TEST_F(AnimatorTest, ChangesWithoutAnimationInsideABlockTakeEffectAtOnce) {
  View::animate(Duration(1.0), [&] { View::performWithoutAnimation([&] { view->setAlpha(0.3); }); });
  EXPECT_DOUBLE_EQ(view->presentation().alpha, 0.3);
}

TEST_F(AnimatorTest, KeyframesStepThroughTheirValuesAndAreRemovedAtTheEnd) {
  std::optional<bool> stopped;
  auto pop = ui::KeyframeAnimation::transform({ui::AffineTransform::scale(0.85), ui::AffineTransform::scale(1.05),
                                               ui::AffineTransform::scale(0.95), ui::AffineTransform::scale(1.0)},
                                              Duration(0.6));
  pop.didStop = [&](bool finished) { stopped = finished; };
  view->layer().addAnimation(pop, "pop");
  EXPECT_EQ(view->layer().animationKeys(), (std::vector<std::string>{"pop"}));
  EXPECT_NEAR(view->presentation().transform.a, 0.85, 1e-9);
  step(0.2);
  EXPECT_NEAR(view->presentation().transform.a, 1.05, 1e-9);
  step(0.1);
  EXPECT_NEAR(view->presentation().transform.a, 1.0, 1e-9);  // halfway from 1.05 to 0.95
  step(0.3);
  EXPECT_EQ(stopped, true);
  EXPECT_TRUE(view->layer().animationKeys().empty());
  EXPECT_TRUE(view->presentation().transform.isIdentity());
}

TEST_F(AnimatorTest, AKeyframeAnimationUnderAUsedKeyReplacesTheOld) {
  std::vector<bool> stops;
  auto shrink =
      ui::KeyframeAnimation::transform({ui::AffineTransform::scale(1), ui::AffineTransform::scale(0.6)}, Duration(0.3));
  shrink.didStop = [&](bool finished) { stops.push_back(finished); };
  view->layer().addAnimation(shrink, "k");
  view->layer().addAnimation(shrink, "k");
  step(0.3);
  EXPECT_EQ(stops, (std::vector<bool>{false, true}));
}

TEST_F(AnimatorTest, TurnsAreInterpolatedAsTurns) {
  View::animate(Duration(1.0), Duration(0), {.curve = AnimationCurve::Linear},
                [&] { view->setTransform(ui::AffineTransform::rotation(3.14159265358979)); });
  step(0.5);
  ui::AffineTransform halfway = view->presentation().transform;
  EXPECT_NEAR(halfway.a, 0, 1e-6);
  EXPECT_NEAR(halfway.b, 1, 1e-6);  // a quarter turn, not a collapse through zero
}

}  // namespace
