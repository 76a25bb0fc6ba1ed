#include "src/framework/ui/AnimationDot.h"

#include <algorithm>

namespace framework {
namespace {

constexpr double kRingSize = 2;
// The first four steps' durations are single-precision values, as the cycle has always used.
constexpr double kShortStep = 0.1f;
constexpr double kLongStep = 0.3f;
constexpr double kFadeStep = 0.5;
constexpr foundation::Duration kPause{0.5};

std::shared_ptr<ui::View> centredView(const ui::Rect& frame, double size, ui::Color color) {
  auto view = std::make_shared<ui::View>(ui::Rect{(frame.width() - size) / 2, (frame.height() - size) / 2, size, size});
  view->setBackgroundColor(color);
  return view;
}

ui::AffineTransform scale(double factor) { return ui::AffineTransform::scale(factor); }

}  // namespace

std::shared_ptr<AnimationDot> AnimationDot::create(const ui::Rect& frame) {
  auto view = std::make_shared<AnimationDot>(frame);
  view->initControl(frame);
  return view;
}

AnimationDot::AnimationDot(const ui::Rect& frame) : View(frame) {}

AnimationDot::~AnimationDot() {
  if (restart_) restart_->invalidate();
}

void AnimationDot::initControl(const ui::Rect& frame) {
  int radius = static_cast<int>(std::min(frame.width(), frame.height())) / 8;
  setBackgroundColor(ui::Color::clear());

  dot_ = centredView(frame, 2.0 * radius, ui::Color::white());
  dot_->layer().setCornerRadius(radius);
  dot_->layer().setShadowColor(ui::Color::black());
  dot_->layer().setShadowOpacity(0.1);
  backFirst_ = centredView(frame, kRingSize, ui::Color::gray());
  backFirst_->layer().setCornerRadius(kRingSize / 2);
  backSecond_ = centredView(frame, kRingSize, ui::Color::gray());
  backSecond_->layer().setCornerRadius(kRingSize / 2);
  addSubview(backSecond_);
  addSubview(backFirst_);
  addSubview(dot_);

  // Without a dot the rings would grow to nothing: scale factors of zero.
  if (radius == 0) {
    for (const auto& view : subviews()) view->setHidden(true);
    return;
  }
  startAnimation();
}

void AnimationDot::animateStep(double duration, const std::function<void()>& changes, void (AnimationDot::*next)()) {
  std::weak_ptr<View> weak = weak_from_this();
  View::animate(foundation::Duration(duration), changes, [weak, next](bool) {
    if (auto self = std::static_pointer_cast<AnimationDot>(weak.lock())) ((*self).*next)();
  });
}

void AnimationDot::startAnimation() {
  if (dot_->bounds().width() <= 0) return;
  backFirst_->setAlpha(1.0);
  backSecond_->setAlpha(1.0);
  animateStep(
      kShortStep, [this] { dot_->setTransform(scale(0.9)); }, &AnimationDot::growDot);
}

void AnimationDot::growDot() {
  animateStep(
      kLongStep, [this] { dot_->setTransform(scale(1.4)); }, &AnimationDot::settleDot);
}

void AnimationDot::settleDot() {
  animateStep(
      kShortStep, [this] { dot_->setTransform(scale(1.0)); }, &AnimationDot::sendOuterRing);
}

void AnimationDot::sendOuterRing() {
  double d = dot_->frame().width();
  animateStep(
      kLongStep,
      [this, d] {
        backSecond_->setTransform(scale(1.5 * d));
        backSecond_->setAlpha(0.5);
      },
      &AnimationDot::fadeOuterRing);
}

void AnimationDot::fadeOuterRing() {
  double d = dot_->frame().width();
  animateStep(
      kFadeStep,
      [this, d] {
        backSecond_->setTransform(scale(3 * d));
        backSecond_->setAlpha(0);
        backFirst_->setTransform(scale(1.5 * d));
        backFirst_->setAlpha(0.5);
      },
      &AnimationDot::fadeInnerRing);
}

void AnimationDot::fadeInnerRing() {
  double d = dot_->frame().width();
  View::performWithoutAnimation([this] { backSecond_->setTransform(scale(1.0)); });
  animateStep(
      kFadeStep,
      [this, d] {
        backFirst_->setTransform(scale(3 * d));
        backFirst_->setAlpha(0);
      },
      &AnimationDot::pauseBeforeNextCycle);
}

void AnimationDot::pauseBeforeNextCycle() {
  View::performWithoutAnimation([this] { backFirst_->setTransform(scale(1.0)); });
  std::weak_ptr<View> weak = weak_from_this();
  restart_ = foundation::RunLoop::main().scheduleTimer(kPause, false, [weak] {
    if (auto self = std::static_pointer_cast<AnimationDot>(weak.lock())) self->startAnimation();
  });
}

}  // namespace framework
