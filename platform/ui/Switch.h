#pragma once

#include "platform/ui/Control.h"

namespace ui {

// An on/off switch, 51 x 31 points. A tap turns it over and sends ValueChanged. Main thread only.
class Switch : public Control {
 public:
  // Main thread. Keeps the frame's origin; the size is the switch's own.
  explicit Switch(const Rect& frame = {});

  bool isOn() const { return on_; }
  // Main thread. Sends nothing.
  void setOn(bool on, bool animated = false);
  Color onTintColor() const { return onTint_; }
  void setOnTintColor(Color color);

  Size sizeThatFits(Size size) const override;
  void draw(GraphicsContext& context, const Rect& rect) override;
  DrawnContent drawnContent() const override { return DrawnContent::Overlapping; }

 protected:
  void endTracking(const Touch& touch) override;

 private:
  bool on_ = false;
  Color onTint_ = Color::rgb255(76, 217, 100);
};

}  // namespace ui
