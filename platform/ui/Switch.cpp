#include "platform/ui/Switch.h"

#include "platform/ui/GraphicsContext.h"

namespace ui {
namespace {

constexpr Size kSwitchSize{51, 31};

}  // namespace

Switch::Switch(const Rect& frame) : Control(Rect{frame.origin, kSwitchSize}) { setOpaque(false); }

void Switch::setOn(bool on, bool) {
  on_ = on;
  setNeedsDisplay();
}

void Switch::setOnTintColor(Color color) {
  onTint_ = color;
  setNeedsDisplay();
}

Size Switch::sizeThatFits(Size) const { return kSwitchSize; }

void Switch::endTracking(const Touch& touch) {
  if (!isTouchInside(touch)) return;
  on_ = !on_;
  setNeedsDisplay();
  sendActions(kValueChanged);
}

void Switch::draw(GraphicsContext& context, const Rect& rect) {
  double radius = rect.height() / 2;
  context.setFillColor(on_ ? onTint_ : Color::white(0.9));
  context.fillRoundedRect(rect, radius);
  double knob = rect.height() - 4;
  double x = on_ ? rect.maxX() - knob - 2 : rect.minX() + 2;
  context.setFillColor(Color::white());
  context.fillEllipse({x, rect.minY() + 2, knob, knob});
}

}  // namespace ui
