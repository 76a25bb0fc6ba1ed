#include "platform/ui/Control.h"

#include <algorithm>

#include "platform/ui/Touch.h"

namespace ui {
namespace {

constexpr double kTouchMargin = 70;

}  // namespace

Control::Control(const Rect& frame) : View(frame) {}

Control::ActionId Control::addAction(unsigned events, Action action) {
  ActionId id = nextId_++;
  actions_.push_back({id, events, std::move(action)});
  return id;
}

void Control::removeAction(ActionId id) {
  std::erase_if(actions_, [&](const Registration& r) { return r.id == id; });
}

void Control::removeActions(unsigned events) {
  for (auto& registration : actions_) registration.events &= ~events;
  std::erase_if(actions_, [](const Registration& r) { return r.events == 0; });
}

void Control::sendActions(unsigned events) {
  auto keepAlive = shared_from_this();  // an action may remove this control from the screen
  for (const Registration& registration : std::vector(actions_)) {
    if (registration.events & events) registration.action(*this);
  }
}

bool Control::hasActions(unsigned events) const {
  return std::any_of(actions_.begin(), actions_.end(), [&](const Registration& r) { return r.events & events; });
}

void Control::setEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  stateDidChange();
}

void Control::setSelected(bool selected) {
  if (selected_ == selected) return;
  selected_ = selected;
  stateDidChange();
}

void Control::setHighlighted(bool highlighted) {
  if (highlighted_ == highlighted) return;
  highlighted_ = highlighted;
  stateDidChange();
}

unsigned Control::state() const {
  unsigned bits = kStateNormal;
  if (highlighted_) bits |= kStateHighlighted;
  if (!enabled_) bits |= kStateDisabled;
  if (selected_) bits |= kStateSelected;
  return bits;
}

bool Control::isTouchInside(const Touch& touch) const {
  return bounds().insetBy(-kTouchMargin, -kTouchMargin).contains(touch.locationIn(this));
}

void Control::touchesBegan(const Touch& touch) {
  if (!enabled_) {
    View::touchesBegan(touch);
    return;
  }
  tracking_ = true;
  setHighlighted(true);
  beginTracking(touch);
  sendActions(kTouchDown);
}

void Control::touchesMoved(const Touch& touch) {
  if (!tracking_) {
    View::touchesMoved(touch);
    return;
  }
  bool inside = isTouchInside(touch);
  setHighlighted(inside);
  continueTracking(touch);
  sendActions(inside ? kTouchDragInside : kTouchDragOutside);
}

void Control::touchesEnded(const Touch& touch) {
  if (!tracking_) {
    View::touchesEnded(touch);
    return;
  }
  tracking_ = false;
  setHighlighted(false);
  endTracking(touch);
  sendActions(isTouchInside(touch) ? kTouchUpInside : kTouchUpOutside);
}

void Control::touchesCancelled(const Touch& touch) {
  if (!tracking_) {
    View::touchesCancelled(touch);
    return;
  }
  tracking_ = false;
  setHighlighted(false);
  cancelTracking();
  sendActions(kTouchCancel);
}

}  // namespace ui
