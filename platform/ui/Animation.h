#pragma once

#include <functional>
#include <variant>
#include <vector>

#include "platform/foundation/Clock.h"
#include "platform/ui/Geometry.h"

namespace ui {

// How an animation's progress follows time.
enum class AnimationCurve { EaseInOut, EaseIn, EaseOut, Linear };

struct AnimationOptions {
  AnimationCurve curve = AnimationCurve::EaseInOut;
  // Start from what is on screen now rather than from the value an earlier animation was heading to.
  bool beginFromCurrentState = false;
};

// Runs when an animation ends: `finished` is false when another animation of the same property
// took over, the animation was removed, or its view went away.
using AnimationCompletion = std::function<void(bool finished)>;

// A layer animation through a list of values at given moments; it changes what is shown, never the
// view's own value, and is removed at its end unless told otherwise.
struct KeyframeAnimation {
  // Transform values (uniform scales, rotations) or opacity values.
  std::variant<std::vector<AffineTransform>, std::vector<double>> values;
  // Moments from 0 to 1, one per value; evenly spread when empty.
  std::vector<double> keyTimes;
  foundation::Duration duration{0.25};
  AnimationCurve timing = AnimationCurve::Linear;
  // When false the last value stays shown until the animation is removed.
  bool removedOnCompletion = true;
  AnimationCompletion didStop;

  static KeyframeAnimation transform(std::vector<AffineTransform> values, foundation::Duration duration) {
    KeyframeAnimation animation;
    animation.values = std::move(values);
    animation.duration = duration;
    return animation;
  }
  static KeyframeAnimation opacity(std::vector<double> values, foundation::Duration duration) {
    KeyframeAnimation animation;
    animation.values = std::move(values);
    animation.duration = duration;
    return animation;
  }
};

// Any thread. Progress along `curve` at time fraction t in [0, 1].
double applyCurve(AnimationCurve curve, double t);

}  // namespace ui
