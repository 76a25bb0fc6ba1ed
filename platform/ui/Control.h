#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/ui/View.h"

namespace ui {

// Control event bits; actions are registered for one or more of them.
enum ControlEvent : unsigned {
  kTouchDown = 1 << 0,
  kTouchDragInside = 1 << 2,
  kTouchDragOutside = 1 << 3,
  kTouchUpInside = 1 << 6,
  kTouchUpOutside = 1 << 7,
  kTouchCancel = 1 << 8,
  kValueChanged = 1 << 12,
  kAllEvents = 0xFFFFFFFF,
};

// Control state bits; Normal is no bit.
enum ControlState : unsigned {
  kStateNormal = 0,
  kStateHighlighted = 1 << 0,
  kStateDisabled = 1 << 1,
  kStateSelected = 1 << 2,
};

// A view that turns touches into events and sends them to the actions registered for them (the
// platform's target and action). Touches that stray no more than 70 points outside still count
// as inside. Main thread only.
class Control : public View {
 public:
  using Action = std::function<void(Control&)>;
  using ActionId = std::uint64_t;

  // Main thread.
  explicit Control(const Rect& frame = {});

  // Main thread. Registers an action for the events; the id removes it again.
  ActionId addAction(unsigned events, Action action);
  void removeAction(ActionId id);
  void removeActions(unsigned events);
  // Main thread. Runs the actions registered for any of the events, in the order added.
  void sendActions(unsigned events);
  // Main thread. Whether any action is registered for the events.
  bool hasActions(unsigned events) const;

  // Main thread. A disabled control sends nothing and ignores touches.
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled);
  bool isSelected() const { return selected_; }
  void setSelected(bool selected);
  bool isHighlighted() const { return highlighted_; }
  void setHighlighted(bool highlighted);
  bool isTracking() const { return tracking_; }
  // Main thread. The state bits for the flags above.
  unsigned state() const;

  bool handlesOwnTaps() const override { return true; }
  void touchesBegan(const Touch& touch) override;
  void touchesMoved(const Touch& touch) override;
  void touchesEnded(const Touch& touch) override;
  void touchesCancelled(const Touch& touch) override;

 protected:
  // Main thread. Hooks for controls that follow the finger (sliders); the base sends the events.
  virtual void beginTracking(const Touch& /*touch*/) {}
  virtual void continueTracking(const Touch& /*touch*/) {}
  virtual void endTracking(const Touch& /*touch*/) {}
  virtual void cancelTracking() {}
  virtual void stateDidChange() { setNeedsDisplay(); }
  // Main thread. Whether the touch is inside the control or within the 70-point margin.
  bool isTouchInside(const Touch& touch) const;

 private:
  struct Registration {
    ActionId id;
    unsigned events;
    Action action;
  };
  std::vector<Registration> actions_;
  ActionId nextId_ = 1;
  bool enabled_ = true;
  bool selected_ = false;
  bool highlighted_ = false;
  bool tracking_ = false;
};

}  // namespace ui
