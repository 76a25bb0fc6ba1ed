#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Color.h"
#include "platform/ui/Geometry.h"

namespace ui {

class View;

enum class AnimatedProperty { Center, Bounds, Alpha, Transform, BackgroundColor };
using AnimatedValue = std::variant<double, Point, Rect, AffineTransform, Color>;

// The animations of all views. Views change their own values at once; inside an animation block
// the animator records the change and shows the value moving from old to new over time. Time
// comes from foundation::Clock::current() and the animator wakes only when something ends (a timer
// on the main run loop), so stepping a manual clock runs a 3 s animation at once. Main thread only.
class Animator {
 public:
  // Main thread. The one animator, kept for the run.
  static Animator& shared();

  // Main thread. Opens and closes an animation block; property changes in between animate.
  void begin(foundation::Duration duration, foundation::Duration delay, AnimationOptions options,
             AnimationCompletion completion);
  void commit();
  // Main thread. Property changes inside `changes` take effect at once, even in a block.
  void performWithoutAnimation(const std::function<void()>& changes);

  // Main thread. Called by a view after it changed one of its animatable values.
  void propertyChanged(View& view, AnimatedProperty property, const AnimatedValue& from, const AnimatedValue& to);
  // Main thread. What is shown for the property now, when an animation moves it.
  std::optional<AnimatedValue> presentationValue(const View& view, AnimatedProperty property) const;
  // Main thread. Whether a block animation of the property is recorded (running or waiting for its delay).
  bool isAnimating(const View& view, AnimatedProperty property) const;

  // Main thread. Layer animations by key; adding under a used key replaces (and stops) the old one.
  void addKeyframeAnimation(View& view, const std::string& key, KeyframeAnimation animation);
  void removeKeyframeAnimation(const View& view, const std::string& key);
  std::vector<std::string> keyframeAnimationKeys(const View& view) const;

  // Main thread. Stops every animation of the view; their completions report not finished.
  void removeAllAnimations(const View& view);
  // Main thread. Called by a view's destructor.
  void viewDestroyed(const View* view);

  // Main thread. How many block and layer animations are recorded, for tests.
  std::size_t animationCount() const;

 private:
  Animator() = default;

  // One animation block: its completion runs once every animation recorded in it has ended.
  struct Group {
    AnimationCompletion completion;
    int pending = 0;
    bool finished = true;
    bool committed = false;
  };
  struct Context {
    foundation::Duration duration{0};
    foundation::Duration delay{0};
    AnimationOptions options;
    std::shared_ptr<Group> group;  // null inside performWithoutAnimation
  };
  struct PropertyAnimation {
    AnimatedProperty property;
    AnimatedValue from;
    AnimatedValue to;
    foundation::TimePoint begin;
    foundation::TimePoint end;
    AnimationCurve curve;
    std::shared_ptr<Group> group;
  };
  struct LayerAnimation {
    std::string key;
    KeyframeAnimation spec;
    foundation::TimePoint begin;
    foundation::TimePoint end;
    bool stopped = false;
  };

  void interrupt(std::shared_ptr<Group> group);
  void settle(const std::shared_ptr<Group>& group, bool finished);
  void stopLayerAnimation(LayerAnimation& animation, bool finished);
  void scheduleWake();
  void wake();
  std::optional<foundation::TimePoint> nextDueTime() const;

  std::vector<Context> contexts_;
  std::map<const View*, std::vector<PropertyAnimation>> properties_;
  std::map<const View*, std::vector<LayerAnimation>> layers_;
  std::vector<std::pair<AnimationCompletion, bool>> dueCompletions_;
  std::shared_ptr<foundation::Timer> wakeTimer_;
  std::optional<foundation::TimePoint> wakeAt_;
};

}  // namespace ui
