#pragma once

#include <functional>
#include <memory>

#include "platform/foundation/RunLoop.h"
#include "platform/ui/View.h"

namespace framework {

// An activity indicator: a white dot that pulses and sends out two grey rings that grow and fade
// one after the other, without end. It starts by itself when made. Each step of the cycle holds
// the view weakly, so the cycle ends when the view is gone. Main thread only.
class AnimationDot : public ui::View {
 public:
  // Main thread. The dot's radius is an eighth of the frame's smaller side, in whole points; a
  // frame under 8 points has nothing to show, so its subviews stay hidden and no cycle runs.
  static std::shared_ptr<AnimationDot> create(const ui::Rect& frame);

  // Main thread. Runs one cycle; the cycle schedules the next.
  void startAnimation();

  const std::shared_ptr<ui::View>& dot() const { return dot_; }
  const std::shared_ptr<ui::View>& backFirst() const { return backFirst_; }
  const std::shared_ptr<ui::View>& backSecond() const { return backSecond_; }

  // Public for std::make_shared; use create().
  explicit AnimationDot(const ui::Rect& frame);
  ~AnimationDot() override;

 private:
  void initControl(const ui::Rect& frame);
  // The cycle's steps, each run when the one before it has ended.
  void animateStep(double duration, const std::function<void()>& changes, void (AnimationDot::*next)());
  void growDot();
  void settleDot();
  void sendOuterRing();
  void fadeOuterRing();
  void fadeInnerRing();
  void pauseBeforeNextCycle();

  std::shared_ptr<ui::View> dot_;
  std::shared_ptr<ui::View> backFirst_;
  std::shared_ptr<ui::View> backSecond_;
  std::shared_ptr<foundation::Timer> restart_;
};

}  // namespace framework
