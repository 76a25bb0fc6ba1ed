// The panel's two states, the animations between them, and the drag and tap that move it.
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Screen.h"
#include "src/playback/player/AudioPlayerView.h"

namespace playback {

namespace {

bool tallScreen() { return ui::Screen::main().bounds().height() >= 568; }
// The status bar's offset on system version 7 and later, where views reach under it.
double statusOffset() { return ui::Screen::main().systemVersionNumber() >= 7 ? 20 : 0; }
double collapsedTop() { return statusOffset() + (tallScreen() ? 504 : 416); }
// The lowest point a finger may drag the panel to.
double dragLimit() { return tallScreen() ? 547 : 459; }

void maybeAnimated(bool animated, ui::AnimationCurve curve, const std::function<void()>& changes) {
  if (!animated) {
    ui::View::performWithoutAnimation(changes);
    return;
  }
  ui::AnimationOptions options;
  options.curve = curve;
  ui::View::animate(foundation::Duration(AudioPlayerView::kAnimationSeconds), foundation::Duration(0), options,
                    changes);
}

}  // namespace

void AudioPlayerView::goUpWithAnimation(bool animated) {
  maybeAnimated(animated, ui::AnimationCurve::EaseOut, [this] {
    ui::Rect frame = this->frame();
    frame.origin.y = statusOffset();
    setFrame(frame);
    topView_->setAlpha(0.95);
    musicTable_->setAlpha(1.0);
  });
}

void AudioPlayerView::pullUpWithAnimation(bool animated) {
  isPullUp_ = true;
  topPlayButton_->setHidden(true);
  topViewImage_->setHidden(true);
  topViewLeftButton_->setHidden(false);
  timerButton_->setHidden(false);
  topActivityIndicator_->setAlpha(0);
  if (statusOffset() > 0) {
    // The top bar reaches up under the status bar. Set outright, so a second pull changes nothing.
    topView_->setFrame({0, -20, 320, kTopBarHeight + 20});
    blurTitleView_->setFrame({0, 0, 320, kTopBarHeight + 20});
    titleViewIntopView_->setFrame({0, 25, 320, 39});
  }
  goUpWithAnimation(animated);
}

void AudioPlayerView::goDownWithAnimation(bool animated) {
  maybeAnimated(animated, ui::AnimationCurve::EaseInOut, [this] {
    setFrame({0, collapsedTop(), frame().width(), frame().height()});
    topView_->setAlpha(1.0);
    musicTable_->setAlpha(0);
  });
}

void AudioPlayerView::pullDownWithAnimation(bool animated) {
  goDownWithAnimation(animated);
  isPullUp_ = false;
  topViewLeftButton_->setHidden(true);
  topViewImage_->setHidden(false);
  timerButton_->setHidden(true);
  topActivityIndicator_->setAlpha(1.0);
  if (statusOffset() > 0) {
    topView_->setFrame({0, 0, 320, kTopBarHeight});
    blurTitleView_->setFrame({0, 0, 320, kTopBarHeight});
    titleViewIntopView_->setFrame({0, 5, 320, 39});
  }
  topPlayButton_->setHidden(topActivityIndicator_->isAnimating());
}

void AudioPlayerView::handlePlayerViewClickEvent(double x) {
  const double leftEdge = topViewLeftButton_->frame().maxX() + (isPullUp_ ? 0 : 20);
  if (x <= leftEdge || x >= timerButton_->frame().minX() - 20) return;
  if (isPullUp_) {
    pullDownWithAnimation(true);
    return;
  }
  musicTable_->setAlpha(1.0);
  pullUpWithAnimation(true);
}

void AudioPlayerView::handleTopViewLeftDownButtonEvent() {
  if (isPullUp_) pullDownWithAnimation(true);
}

void AudioPlayerView::handlePanMoved(double y) {
  const double reach = y + 20;
  if (reach <= kTopBarHeight - 4 || reach >= dragLimit()) return;
  ui::View::performWithoutAnimation([&] { setCenter({frame().width() / 2, y + frame().height() / 2}); });
  maybeAnimated(true, ui::AnimationCurve::EaseInOut, [&] { topView_->setAlpha(reach < 300 ? 0.9 : 0.8); });
  const double tableAlpha = 1.2 - reach / 600;
  if (tableAlpha <= 1.0) musicTable_->setAlpha(tableAlpha);
}

void AudioPlayerView::handlePanEnded(double y) {
  if (isPullUp_) {
    if (y > 100)
      pullDownWithAnimation(true);
    else
      goUpWithAnimation(true);
  } else if (y > 500) {
    goDownWithAnimation(true);
  } else {
    pullUpWithAnimation(true);
  }
}

}  // namespace playback
