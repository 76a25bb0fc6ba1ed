#include "platform/ui/View.h"

#include <algorithm>

#include "platform/ui/Animator.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Window.h"

namespace ui {
namespace {

// New sizes of the three parts of one axis (leading margin, size, trailing margin) when the
// superview grows by `delta`: the flexible parts share the change in proportion to their sizes.
void stretchAxis(double& origin, double& size, double superSize, double delta, bool flexLead, bool flexSize,
                 bool flexTrail) {
  if (delta == 0 || !(flexLead || flexSize || flexTrail)) return;
  double lead = origin, trail = superSize - origin - size;
  double total = (flexLead ? lead : 0) + (flexSize ? size : 0) + (flexTrail ? trail : 0);
  int count = int(flexLead) + int(flexSize) + int(flexTrail);
  auto share = [&](bool flexible, double part) {
    if (!flexible) return 0.0;
    return total > 0 ? delta * part / total : delta / count;
  };
  double leadDelta = share(flexLead, lead);
  double sizeDelta = share(flexSize, size);
  origin += leadDelta;
  size += sizeDelta;
}

}  // namespace

Rect placeContent(ContentMode mode, Size content, const Rect& box) {
  auto at = [&](double x, double y) { return Rect{x, y, content.width, content.height}; };
  switch (mode) {
    case ContentMode::ScaleToFill:
    case ContentMode::Redraw:
      return box;
    case ContentMode::ScaleAspectFit:
    case ContentMode::ScaleAspectFill: {
      if (content.width <= 0 || content.height <= 0) return box;
      double sx = box.width() / content.width, sy = box.height() / content.height;
      double s = mode == ContentMode::ScaleAspectFit ? std::min(sx, sy) : std::max(sx, sy);
      Size scaled{content.width * s, content.height * s};
      return {box.midX() - scaled.width / 2, box.midY() - scaled.height / 2, scaled.width, scaled.height};
    }
    case ContentMode::Center:
      return at(box.midX() - content.width / 2, box.midY() - content.height / 2);
    case ContentMode::Top:
      return at(box.midX() - content.width / 2, box.minY());
    case ContentMode::Bottom:
      return at(box.midX() - content.width / 2, box.maxY() - content.height);
    case ContentMode::Left:
      return at(box.minX(), box.midY() - content.height / 2);
    case ContentMode::Right:
      return at(box.maxX() - content.width, box.midY() - content.height / 2);
    case ContentMode::TopLeft:
      return at(box.minX(), box.minY());
    case ContentMode::TopRight:
      return at(box.maxX() - content.width, box.minY());
    case ContentMode::BottomLeft:
      return at(box.minX(), box.maxY() - content.height);
    case ContentMode::BottomRight:
      return at(box.maxX() - content.width, box.maxY() - content.height);
  }
  return box;
}

View::View(const Rect& frame) : center_(frame.center()), bounds_(0, 0, frame.width(), frame.height()), layer_(*this) {}

View::~View() {
  for (auto& subview : subviews_) subview->superview_ = nullptr;
  for (auto& recognizer : gestureRecognizers_) recognizer->setView(nullptr);
  Animator::shared().viewDestroyed(this);
}

void View::animate(foundation::Duration duration, foundation::Duration delay, AnimationOptions options,
                   const std::function<void()>& animations, AnimationCompletion completion) {
  Animator& animator = Animator::shared();
  animator.begin(duration, delay, options, std::move(completion));
  if (animations) animations();
  animator.commit();
}

void View::animate(foundation::Duration duration, const std::function<void()>& animations,
                   AnimationCompletion completion) {
  animate(duration, foundation::Duration(0), {}, animations, std::move(completion));
}

void View::performWithoutAnimation(const std::function<void()>& changes) {
  Animator::shared().performWithoutAnimation(changes);
}

Rect View::frame() const {
  Rect local{-bounds_.width() / 2, -bounds_.height() / 2, bounds_.width(), bounds_.height()};
  Rect moved = transform_.isIdentity() ? local : transform_.apply(local);
  return moved.offsetBy(center_.x, center_.y);
}

void View::setFrame(const Rect& frame) {
  setCenter(frame.center());
  setBounds({bounds_.origin, frame.size});
}

void View::setBounds(const Rect& bounds) {
  Rect old = bounds_;
  bounds_ = bounds;
  Animator::shared().propertyChanged(*this, AnimatedProperty::Bounds, old, bounds);
  if (old.size != bounds.size) {
    resizeSubviews(old.size);
    setNeedsLayout();
    boundsSizeDidChange(old.size);
  }
}

void View::setCenter(Point center) {
  Point old = center_;
  center_ = center;
  Animator::shared().propertyChanged(*this, AnimatedProperty::Center, old, center);
}

void View::setTransform(const AffineTransform& transform) {
  AffineTransform old = transform_;
  transform_ = transform;
  Animator::shared().propertyChanged(*this, AnimatedProperty::Transform, old, transform);
}

void View::setAlpha(double alpha) {
  double old = alpha_;
  alpha_ = std::clamp(alpha, 0.0, 1.0);
  Animator::shared().propertyChanged(*this, AnimatedProperty::Alpha, old, alpha_);
}

void View::setBackgroundColor(Color color) {
  Color old = backgroundColor_;
  backgroundColor_ = color;
  Animator::shared().propertyChanged(*this, AnimatedProperty::BackgroundColor, old, color);
}

void View::setContentMode(ContentMode mode) {
  contentMode_ = mode;
  setNeedsDisplay();
}

View::Presentation View::presentation() const {
  Presentation shown{center_, bounds_, alpha_, transform_, backgroundColor_};
  const Animator& animator = Animator::shared();
  if (auto v = animator.presentationValue(*this, AnimatedProperty::Center)) shown.center = std::get<Point>(*v);
  if (auto v = animator.presentationValue(*this, AnimatedProperty::Bounds)) shown.bounds = std::get<Rect>(*v);
  if (auto v = animator.presentationValue(*this, AnimatedProperty::Alpha)) shown.alpha = std::get<double>(*v);
  if (auto v = animator.presentationValue(*this, AnimatedProperty::Transform)) {
    shown.transform = std::get<AffineTransform>(*v);
  }
  if (auto v = animator.presentationValue(*this, AnimatedProperty::BackgroundColor)) {
    shown.backgroundColor = std::get<Color>(*v);
  }
  return shown;
}

void View::addSubview(std::shared_ptr<View> view) { insertSubview(std::move(view), subviews_.size()); }

void View::insertSubview(std::shared_ptr<View> view, std::size_t index) {
  // A view cannot hold itself or one of its ancestors.
  if (!view || view.get() == this || isDescendantOf(*view)) return;
  attach(std::move(view), index);
}

void View::insertSubviewBelow(std::shared_ptr<View> view, const View& sibling) {
  auto at = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& v) { return v.get() == &sibling; });
  std::size_t index = at == subviews_.end() ? subviews_.size() : static_cast<std::size_t>(at - subviews_.begin());
  if (view && view->superview_ == this) {
    auto current = std::find(subviews_.begin(), subviews_.end(), view);
    if (current - subviews_.begin() < static_cast<std::ptrdiff_t>(index)) --index;
  }
  insertSubview(std::move(view), index);
}

void View::insertSubviewAbove(std::shared_ptr<View> view, const View& sibling) {
  auto at = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& v) { return v.get() == &sibling; });
  std::size_t index = at == subviews_.end() ? subviews_.size() : static_cast<std::size_t>(at - subviews_.begin()) + 1;
  if (view && view->superview_ == this) {
    auto current = std::find(subviews_.begin(), subviews_.end(), view);
    if (current - subviews_.begin() < static_cast<std::ptrdiff_t>(index)) --index;
  }
  insertSubview(std::move(view), index);
}

void View::attach(std::shared_ptr<View> view, std::size_t index) {
  bool wasInWindow = view->window() != nullptr;
  if (view->superview_ == this) {
    subviews_.erase(std::find(subviews_.begin(), subviews_.end(), view));
  } else if (view->superview_) {
    view->detachFromSuperview();
  }
  index = std::min(index, subviews_.size());
  subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), view);
  bool moved = view->superview_ != this;
  view->superview_ = this;
  if (moved) {
    view->didMoveToSuperview();
    didAddSubview(*view);
    if (wasInWindow != (window() != nullptr)) view->notifyMovedToWindow();
  }
}

void View::detachFromSuperview() {
  View* parent = superview_;
  parent->willRemoveSubview(*this);
  auto& siblings = parent->subviews_;
  auto self = std::find_if(siblings.begin(), siblings.end(), [&](const auto& v) { return v.get() == this; });
  if (self != siblings.end()) siblings.erase(self);
  superview_ = nullptr;
}

void View::removeFromSuperview() {
  if (!superview_) return;
  auto keepAlive = shared_from_this();
  bool wasInWindow = window() != nullptr;
  detachFromSuperview();
  didMoveToSuperview();
  if (wasInWindow) notifyMovedToWindow();
}

void View::notifyMovedToWindow() {
  didMoveToWindow();
  for (auto subview : std::vector(subviews_)) subview->notifyMovedToWindow();
}

void View::bringSubviewToFront(const View& view) {
  auto at = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& v) { return v.get() == &view; });
  if (at == subviews_.end()) return;
  std::rotate(at, at + 1, subviews_.end());
}

void View::sendSubviewToBack(const View& view) {
  auto at = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& v) { return v.get() == &view; });
  if (at == subviews_.end()) return;
  std::rotate(subviews_.begin(), at, at + 1);
}

bool View::isDescendantOf(const View& view) const {
  for (const View* v = this; v; v = v->superview_) {
    if (v == &view) return true;
  }
  return false;
}

View* View::viewWithTag(int tag) {
  if (tag_ == tag) return this;
  for (const auto& subview : subviews_) {
    if (View* found = subview->viewWithTag(tag)) return found;
  }
  return nullptr;
}

Window* View::window() const {
  for (const View* v = this; v; v = v->superview_) {
    if (v->isWindow()) return static_cast<Window*>(const_cast<View*>(v));
  }
  return nullptr;
}

void View::layoutIfNeeded() {
  if (needsLayout_) {
    needsLayout_ = false;
    layoutSubviews();
  }
  for (const auto& subview : std::vector(subviews_)) subview->layoutIfNeeded();
}

Size View::sizeThatFits(Size) const { return bounds_.size; }

void View::sizeToFit() {
  Size fitted = sizeThatFits(bounds_.size);
  Rect current = frame();
  setFrame({current.origin, fitted});
}

void View::draw(GraphicsContext&, const Rect&) {}

void View::resizeSubviews(Size oldSize) {
  if (!autoresizesSubviews_) return;
  for (const auto& subview : std::vector(subviews_)) subview->autoresize(oldSize, bounds_.size);
}

void View::autoresize(Size oldSuper, Size newSuper) {
  if (autoresizingMask_ == kAutoresizingNone) return;
  Rect f = frame();
  double x = f.minX(), y = f.minY(), w = f.width(), h = f.height();
  unsigned m = autoresizingMask_;
  stretchAxis(x, w, oldSuper.width, newSuper.width - oldSuper.width, m & kFlexibleLeftMargin, m & kFlexibleWidth,
              m & kFlexibleRightMargin);
  stretchAxis(y, h, oldSuper.height, newSuper.height - oldSuper.height, m & kFlexibleTopMargin, m & kFlexibleHeight,
              m & kFlexibleBottomMargin);
  setFrame({x, y, w, h});
}

Point View::convertToScreen(Point p) const {
  Point offset{p.x - bounds_.minX() - bounds_.width() / 2, p.y - bounds_.minY() - bounds_.height() / 2};
  Point moved = transform_.apply(offset);
  Point inSuper{center_.x + moved.x, center_.y + moved.y};
  return superview_ ? superview_->convertToScreen(inSuper) : inSuper;
}

Point View::convertFromScreen(Point p) const {
  Point inSuper = superview_ ? superview_->convertFromScreen(p) : p;
  Point local = transform_.inverted().apply(Point{inSuper.x - center_.x, inSuper.y - center_.y});
  return {local.x + bounds_.minX() + bounds_.width() / 2, local.y + bounds_.minY() + bounds_.height() / 2};
}

Point View::convertPoint(Point point, const View* toView) const {
  Point screen = convertToScreen(point);
  return toView ? toView->convertFromScreen(screen) : screen;
}

Point View::convertPointFrom(Point point, const View* fromView) const {
  Point screen = fromView ? fromView->convertToScreen(point) : point;
  return convertFromScreen(screen);
}

Rect View::convertRect(const Rect& rect, const View* toView) const {
  Point a = convertPoint(rect.origin, toView);
  Point b = convertPoint({rect.maxX(), rect.maxY()}, toView);
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y)};
}

bool View::pointInside(Point point) const { return bounds_.contains(point); }

View* View::hitTest(Point point) {
  if (hidden_ || !userInteractionEnabled_ || alpha_ < 0.01 || !pointInside(point)) return nullptr;
  for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
    View& subview = **it;
    if (View* hit = subview.hitTest(subview.convertPointFrom(point, this))) return hit;
  }
  return this;
}

void View::touchesBegan(const Touch& touch) {
  if (superview_) superview_->touchesBegan(touch);
}

void View::touchesMoved(const Touch& touch) {
  if (superview_) superview_->touchesMoved(touch);
}

void View::touchesEnded(const Touch& touch) {
  if (superview_) superview_->touchesEnded(touch);
}

void View::touchesCancelled(const Touch& touch) {
  if (superview_) superview_->touchesCancelled(touch);
}

void View::addGestureRecognizer(std::shared_ptr<GestureRecognizer> recognizer) {
  if (!recognizer) return;
  if (View* previous = recognizer->view(); previous && previous != this) previous->removeGestureRecognizer(*recognizer);
  if (recognizer->view() == this) return;
  recognizer->setView(this);
  gestureRecognizers_.push_back(std::move(recognizer));
}

void View::removeGestureRecognizer(const GestureRecognizer& recognizer) {
  auto at = std::find_if(gestureRecognizers_.begin(), gestureRecognizers_.end(),
                         [&](const auto& r) { return r.get() == &recognizer; });
  if (at == gestureRecognizers_.end()) return;
  (*at)->setView(nullptr);
  gestureRecognizers_.erase(at);
}

void View::setAssociatedObject(const void* key, std::shared_ptr<void> object) {
  if (object) {
    associatedObjects_[key] = std::move(object);
  } else {
    associatedObjects_.erase(key);
  }
}

std::shared_ptr<void> View::associatedObject(const void* key) const {
  auto found = associatedObjects_.find(key);
  return found == associatedObjects_.end() ? nullptr : found->second;
}

}  // namespace ui
