#include "platform/ui/GestureRecognizer.h"

#include <chrono>
#include <cmath>

#include "platform/ui/View.h"

namespace ui {
namespace {

// How far a finger may wander before a tap is off and a pan is on.
constexpr double kSlop = 10;

double distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

}  // namespace

void GestureRecognizer::setEnabled(bool enabled) {
  enabled_ = enabled;
  if (!enabled && (state_ == GestureState::Began || state_ == GestureState::Changed)) {
    setState(GestureState::Cancelled);
  }
}

Point GestureRecognizer::locationInView(const View* view) const { return lastTouch_.locationIn(view); }

void GestureRecognizer::touchesBegan(const Touch& touch) { lastTouch_ = touch; }
void GestureRecognizer::touchesMoved(const Touch& touch) { lastTouch_ = touch; }
void GestureRecognizer::touchesEnded(const Touch& touch) { lastTouch_ = touch; }

void GestureRecognizer::touchesCancelled(const Touch& touch) {
  lastTouch_ = touch;
  if (state_ == GestureState::Began || state_ == GestureState::Changed) {
    setState(GestureState::Cancelled);
  } else if (state_ == GestureState::Possible) {
    setState(GestureState::Failed);
  }
}

void GestureRecognizer::fail() {
  if (state_ == GestureState::Possible) setState(GestureState::Failed);
}

void GestureRecognizer::reset() { state_ = GestureState::Possible; }

void GestureRecognizer::setState(GestureState state) {
  state_ = state;
  if (state == GestureState::Possible || state == GestureState::Failed) return;
  auto keepAlive = weak_from_this().lock();  // an action may detach this recogniser
  for (const Action& action : std::vector(actions_)) action(*this);
}

void TapGestureRecognizer::touchesBegan(const Touch& touch) {
  GestureRecognizer::touchesBegan(touch);
  start_ = touch.screenLocation;
}

void TapGestureRecognizer::touchesMoved(const Touch& touch) {
  GestureRecognizer::touchesMoved(touch);
  if (state() == GestureState::Possible && distance(touch.screenLocation, start_) > kSlop) {
    setState(GestureState::Failed);
  }
}

void TapGestureRecognizer::touchesEnded(const Touch& touch) {
  GestureRecognizer::touchesEnded(touch);
  if (state() == GestureState::Possible && distance(touch.screenLocation, start_) <= kSlop) {
    setState(GestureState::Ended);
  }
}

Point PanGestureRecognizer::translationInView(const View* view) const {
  Point from = view ? view->convertPointFrom(start_, nullptr) : start_;
  Point to = lastTouch().locationIn(view);
  return {to.x - from.x + translationBase_.x, to.y - from.y + translationBase_.y};
}

void PanGestureRecognizer::setTranslation(Point translation, const View*) {
  translationBase_ = translation;
  start_ = lastTouch().screenLocation;
}

Point PanGestureRecognizer::velocityInView(const View*) const { return velocity_; }

void PanGestureRecognizer::touchesBegan(const Touch& touch) {
  GestureRecognizer::touchesBegan(touch);
  start_ = touch.screenLocation;
  translationBase_ = {};
  velocity_ = {};
}

void PanGestureRecognizer::touchesMoved(const Touch& touch) {
  Touch previous = lastTouch();
  GestureRecognizer::touchesMoved(touch);
  double seconds = std::chrono::duration<double>(touch.timestamp - previous.timestamp).count();
  if (seconds > 0) {
    velocity_ = {(touch.screenLocation.x - previous.screenLocation.x) / seconds,
                 (touch.screenLocation.y - previous.screenLocation.y) / seconds};
  }
  if (state() == GestureState::Possible && distance(touch.screenLocation, start_) > kSlop) {
    setState(GestureState::Began);
  } else if (state() == GestureState::Began || state() == GestureState::Changed) {
    setState(GestureState::Changed);
  }
}

void PanGestureRecognizer::touchesEnded(const Touch& touch) {
  GestureRecognizer::touchesEnded(touch);
  if (state() == GestureState::Began || state() == GestureState::Changed) {
    setState(GestureState::Ended);
  } else if (state() == GestureState::Possible) {
    setState(GestureState::Failed);
  }
}

LongPressGestureRecognizer::~LongPressGestureRecognizer() { stopTimer(); }

void LongPressGestureRecognizer::touchesBegan(const Touch& touch) {
  GestureRecognizer::touchesBegan(touch);
  start_ = touch.screenLocation;
  stopTimer();
  std::weak_ptr<GestureRecognizer> weak = weak_from_this();
  timer_ = foundation::RunLoop::main().scheduleTimer(minimumPressDuration_, false, [this, weak] {
    auto self = weak.lock();
    if (self && state() == GestureState::Possible) setState(GestureState::Began);
  });
}

void LongPressGestureRecognizer::touchesMoved(const Touch& touch) {
  GestureRecognizer::touchesMoved(touch);
  if (state() == GestureState::Possible && distance(touch.screenLocation, start_) > kSlop) {
    stopTimer();
    setState(GestureState::Failed);
  } else if (state() == GestureState::Began || state() == GestureState::Changed) {
    setState(GestureState::Changed);
  }
}

void LongPressGestureRecognizer::touchesEnded(const Touch& touch) {
  GestureRecognizer::touchesEnded(touch);
  stopTimer();
  if (state() == GestureState::Began || state() == GestureState::Changed) {
    setState(GestureState::Ended);
  } else if (state() == GestureState::Possible) {
    setState(GestureState::Failed);
  }
}

void LongPressGestureRecognizer::touchesCancelled(const Touch& touch) {
  stopTimer();
  GestureRecognizer::touchesCancelled(touch);
}

void LongPressGestureRecognizer::reset() {
  stopTimer();
  GestureRecognizer::reset();
}

void LongPressGestureRecognizer::stopTimer() {
  if (timer_) timer_->invalidate();
  timer_ = nullptr;
}

}  // namespace ui
