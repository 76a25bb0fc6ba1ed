#include "platform/ui/Animator.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/View.h"

namespace ui {
namespace {

using foundation::Duration;
using foundation::TimePoint;

// Timers may fire a hair early after rounding; anything due this close counts as due.
constexpr auto kTolerance = std::chrono::microseconds(1);

TimePoint now() { return foundation::Clock::current().now(); }

TimePoint::duration ticks(Duration d) {
  return std::chrono::duration_cast<TimePoint::duration>(std::max(d, Duration(0)));
}

double lerp(double a, double b, double t) { return a + (b - a) * t; }

// Scale, shear and rotation are interpolated separately so that a turn stays a turn.
struct Decomposed {
  double sx, sy, shear, angle, tx, ty;
};

Decomposed decompose(const AffineTransform& m) {
  double sx = std::hypot(m.a, m.b);
  double angle = sx == 0 ? 0 : std::atan2(m.b, m.a);
  double cs = std::cos(angle), sn = std::sin(angle);
  return {sx, -m.c * sn + m.d * cs, m.c * cs + m.d * sn, angle, m.tx, m.ty};
}

AffineTransform recompose(const Decomposed& p) {
  double cs = std::cos(p.angle), sn = std::sin(p.angle);
  return {p.sx * cs, p.sx * sn, p.shear * cs - p.sy * sn, p.shear * sn + p.sy * cs, p.tx, p.ty};
}

AffineTransform interpolateTransform(const AffineTransform& from, const AffineTransform& to, double t) {
  Decomposed a = decompose(from), b = decompose(to);
  return recompose({lerp(a.sx, b.sx, t), lerp(a.sy, b.sy, t), lerp(a.shear, b.shear, t), lerp(a.angle, b.angle, t),
                    lerp(a.tx, b.tx, t), lerp(a.ty, b.ty, t)});
}

AnimatedValue interpolate(const AnimatedValue& from, const AnimatedValue& to, double t) {
  if (from.index() != to.index()) return to;
  if (auto* a = std::get_if<double>(&from)) return lerp(*a, std::get<double>(to), t);
  if (auto* a = std::get_if<Point>(&from)) {
    const Point& b = std::get<Point>(to);
    return Point{lerp(a->x, b.x, t), lerp(a->y, b.y, t)};
  }
  if (auto* a = std::get_if<Rect>(&from)) {
    const Rect& b = std::get<Rect>(to);
    return Rect{lerp(a->minX(), b.minX(), t), lerp(a->minY(), b.minY(), t), lerp(a->width(), b.width(), t),
                lerp(a->height(), b.height(), t)};
  }
  if (auto* a = std::get_if<AffineTransform>(&from)) {
    return interpolateTransform(*a, std::get<AffineTransform>(to), t);
  }
  const Color& a = std::get<Color>(from);
  const Color& b = std::get<Color>(to);
  return Color{lerp(a.red, b.red, t), lerp(a.green, b.green, t), lerp(a.blue, b.blue, t), lerp(a.alpha, b.alpha, t)};
}

double fraction(TimePoint at, TimePoint begin, TimePoint end) {
  if (at <= begin) return 0;
  if (at >= end) return 1;
  return std::chrono::duration<double>(at - begin).count() / std::chrono::duration<double>(end - begin).count();
}

template <class T>
AnimatedValue keyframeValue(const std::vector<T>& values, const std::vector<double>& keyTimes, double progress) {
  if (values.size() == 1) return values.front();
  std::size_t last = values.size() - 1;
  auto timeOf = [&](std::size_t i) {
    return keyTimes.size() == values.size() ? keyTimes[i] : static_cast<double>(i) / static_cast<double>(last);
  };
  std::size_t i = 0;
  while (i + 1 < last && progress > timeOf(i + 1)) ++i;
  double span = timeOf(i + 1) - timeOf(i);
  double local = span <= 0 ? 1 : std::clamp((progress - timeOf(i)) / span, 0.0, 1.0);
  return interpolate(AnimatedValue(values[i]), AnimatedValue(values[i + 1]), local);
}

std::optional<AnimatedValue> keyframeValueAt(const KeyframeAnimation& spec, double progress) {
  double p = applyCurve(spec.timing, progress);
  return std::visit(
      [&](const auto& values) -> std::optional<AnimatedValue> {
        if (values.empty()) return std::nullopt;
        return keyframeValue(values, spec.keyTimes, p);
      },
      spec.values);
}

AnimatedProperty propertyOf(const KeyframeAnimation& spec) {
  return std::holds_alternative<std::vector<AffineTransform>>(spec.values) ? AnimatedProperty::Transform
                                                                           : AnimatedProperty::Alpha;
}

}  // namespace

Animator& Animator::shared() {
  static Animator* animator = new Animator();  // lives for the run; views reach it from destructors
  return *animator;
}

void Animator::begin(Duration duration, Duration delay, AnimationOptions options, AnimationCompletion completion) {
  auto group = std::make_shared<Group>();
  group->completion = std::move(completion);
  contexts_.push_back({std::max(duration, Duration(0)), std::max(delay, Duration(0)), options, std::move(group)});
}

void Animator::commit() {
  if (contexts_.empty()) return;
  std::shared_ptr<Group> group = std::move(contexts_.back().group);
  contexts_.pop_back();
  if (!group) return;
  group->committed = true;
  // A block that changed nothing completes at once.
  if (group->pending == 0) settle(group, true);
  scheduleWake();
}

void Animator::performWithoutAnimation(const std::function<void()>& changes) {
  contexts_.push_back({});
  changes();
  contexts_.pop_back();
}

void Animator::propertyChanged(View& view, AnimatedProperty property, const AnimatedValue& from,
                               const AnimatedValue& to) {
  if (contexts_.empty() || !contexts_.back().group || view.weak_from_this().expired()) return;
  const Context& context = contexts_.back();
  TimePoint at = now();
  AnimatedValue start = from;
  auto& list = properties_[&view];
  auto running = std::find_if(list.begin(), list.end(), [&](const auto& a) { return a.property == property; });
  if (running != list.end()) {
    if (context.options.beginFromCurrentState) {
      start = interpolate(running->from, running->to,
                          applyCurve(running->curve, fraction(at, running->begin, running->end)));
    }
    std::shared_ptr<Group> interrupted = running->group;
    list.erase(running);
    settle(interrupted, false);
  }
  TimePoint begin = at + ticks(context.delay);
  list.push_back({property, start, to, begin, begin + ticks(context.duration), context.options.curve, context.group});
  ++context.group->pending;
}

std::optional<AnimatedValue> Animator::presentationValue(const View& view, AnimatedProperty property) const {
  TimePoint at = now();
  if (auto layers = layers_.find(&view); layers != layers_.end()) {
    for (const LayerAnimation& animation : layers->second) {
      if (propertyOf(animation.spec) != property) continue;
      if (animation.stopped && animation.spec.removedOnCompletion) continue;
      return keyframeValueAt(animation.spec, fraction(at, animation.begin, animation.end));
    }
  }
  if (auto found = properties_.find(&view); found != properties_.end()) {
    for (const PropertyAnimation& animation : found->second) {
      if (animation.property != property) continue;
      return interpolate(animation.from, animation.to,
                         applyCurve(animation.curve, fraction(at, animation.begin, animation.end)));
    }
  }
  return std::nullopt;
}

bool Animator::isAnimating(const View& view, AnimatedProperty property) const {
  auto found = properties_.find(&view);
  if (found == properties_.end()) return false;
  return std::any_of(found->second.begin(), found->second.end(), [&](const auto& a) { return a.property == property; });
}

void Animator::addKeyframeAnimation(View& view, const std::string& key, KeyframeAnimation animation) {
  removeKeyframeAnimation(view, key);
  TimePoint begin = now();
  TimePoint end = begin + ticks(animation.duration);
  layers_[&view].push_back({key, std::move(animation), begin, end, false});
  scheduleWake();
}

void Animator::removeKeyframeAnimation(const View& view, const std::string& key) {
  auto found = layers_.find(&view);
  if (found == layers_.end()) return;
  auto& list = found->second;
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (it->key != key) continue;
    stopLayerAnimation(*it, false);
    list.erase(it);
    break;
  }
  if (list.empty()) layers_.erase(found);
  scheduleWake();
}

std::vector<std::string> Animator::keyframeAnimationKeys(const View& view) const {
  std::vector<std::string> keys;
  if (auto found = layers_.find(&view); found != layers_.end()) {
    for (const auto& animation : found->second) keys.push_back(animation.key);
  }
  return keys;
}

void Animator::removeAllAnimations(const View& view) {
  if (auto found = properties_.find(&view); found != properties_.end()) {
    auto list = std::move(found->second);
    properties_.erase(found);
    for (auto& animation : list) settle(animation.group, false);
  }
  if (auto found = layers_.find(&view); found != layers_.end()) {
    auto list = std::move(found->second);
    layers_.erase(found);
    for (auto& animation : list) stopLayerAnimation(animation, false);
  }
  scheduleWake();
}

void Animator::viewDestroyed(const View* view) {
  if (properties_.count(view) || layers_.count(view)) removeAllAnimations(*view);
}

std::size_t Animator::animationCount() const {
  std::size_t count = 0;
  for (const auto& entry : properties_) count += entry.second.size();
  for (const auto& entry : layers_) count += entry.second.size();
  return count;
}

void Animator::settle(const std::shared_ptr<Group>& group, bool finished) {
  if (!finished) group->finished = false;
  if (group->pending > 0) --group->pending;
  if (group->pending == 0 && group->committed && group->completion) {
    dueCompletions_.emplace_back(std::move(group->completion), group->finished);
    group->completion = nullptr;
  }
}

void Animator::stopLayerAnimation(LayerAnimation& animation, bool finished) {
  if (animation.stopped) return;
  animation.stopped = true;
  if (animation.spec.didStop) dueCompletions_.emplace_back(animation.spec.didStop, finished);
}

std::optional<TimePoint> Animator::nextDueTime() const {
  if (!dueCompletions_.empty()) return now();
  std::optional<TimePoint> due;
  auto consider = [&](TimePoint t) { due = due ? std::min(*due, t) : t; };
  for (const auto& entry : properties_) {
    for (const auto& animation : entry.second) consider(animation.end);
  }
  for (const auto& entry : layers_) {
    for (const auto& animation : entry.second) {
      if (!animation.stopped) consider(animation.end);
    }
  }
  return due;
}

void Animator::scheduleWake() {
  std::optional<TimePoint> due = nextDueTime();
  if (wakeTimer_ && wakeTimer_->isValid() && due && wakeAt_ && *wakeAt_ <= *due) return;
  if (wakeTimer_) wakeTimer_->invalidate();
  wakeTimer_ = nullptr;
  wakeAt_.reset();
  if (!due) return;
  Duration interval = std::max(Duration(0), std::chrono::duration_cast<Duration>(*due - now()));
  wakeTimer_ = foundation::RunLoop::main().scheduleTimer(interval, false, [this] { wake(); });
  wakeAt_ = due;
}

void Animator::wake() {
  wakeTimer_ = nullptr;
  wakeAt_.reset();
  TimePoint at = now() + kTolerance;
  std::vector<std::shared_ptr<Group>> ended;
  for (auto entry = properties_.begin(); entry != properties_.end();) {
    auto& list = entry->second;
    for (auto it = list.begin(); it != list.end();) {
      if (it->end <= at) {
        ended.push_back(it->group);
        it = list.erase(it);
      } else {
        ++it;
      }
    }
    entry = list.empty() ? properties_.erase(entry) : std::next(entry);
  }
  for (auto entry = layers_.begin(); entry != layers_.end();) {
    auto& list = entry->second;
    for (auto it = list.begin(); it != list.end();) {
      if (!it->stopped && it->end <= at) stopLayerAnimation(*it, true);
      it = (it->stopped && it->spec.removedOnCompletion) ? list.erase(it) : std::next(it);
    }
    entry = list.empty() ? layers_.erase(entry) : std::next(entry);
  }
  for (const auto& group : ended) settle(group, true);
  auto due = std::move(dueCompletions_);
  dueCompletions_.clear();
  for (auto& [completion, finished] : due) {
    if (completion) completion(finished);
  }
  scheduleWake();
}

double applyCurve(AnimationCurve curve, double t) {
  if (t <= 0) return 0;
  if (t >= 1) return 1;
  double x1 = 0, y1 = 0, x2 = 1, y2 = 1;
  switch (curve) {
    case AnimationCurve::Linear:
      return t;
    case AnimationCurve::EaseIn:
      x1 = 0.42;
      break;
    case AnimationCurve::EaseOut:
      x2 = 0.58;
      break;
    case AnimationCurve::EaseInOut:
      x1 = 0.42;
      x2 = 0.58;
      break;
  }
  // A cubic Bezier from (0,0) to (1,1): find the parameter whose x is t by bisection, return its y.
  auto bezier = [](double p1, double p2, double s) {
    double u = 1 - s;
    return 3 * u * u * s * p1 + 3 * u * s * s * p2 + s * s * s;
  };
  double lo = 0, hi = 1, s = t;
  for (int i = 0; i < 50; ++i) {
    s = (lo + hi) / 2;
    (bezier(x1, x2, s) < t ? lo : hi) = s;
  }
  return bezier(y1, y2, s);
}

}  // namespace ui
