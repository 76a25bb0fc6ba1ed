#include "platform/ui/ActivityIndicatorView.h"

#include <cmath>
#include <numbers>

#include "platform/ui/GraphicsContext.h"

namespace ui {
namespace {

double sideFor(ActivityIndicatorStyle style) { return style == ActivityIndicatorStyle::WhiteLarge ? 37 : 20; }

Color colorFor(ActivityIndicatorStyle style) {
  return style == ActivityIndicatorStyle::Gray ? Color::gray() : Color::white();
}

}  // namespace

ActivityIndicatorView::ActivityIndicatorView(ActivityIndicatorStyle style)
    : View(Rect{0, 0, sideFor(style), sideFor(style)}), style_(style), color_(colorFor(style)) {
  setUserInteractionEnabled(false);
  setOpaque(false);
  setHidden(true);
}

void ActivityIndicatorView::setStyle(ActivityIndicatorStyle style) {
  style_ = style;
  color_ = colorFor(style);
  setBounds({0, 0, sideFor(style), sideFor(style)});
  setNeedsDisplay();
}

void ActivityIndicatorView::setColor(Color color) {
  color_ = color;
  setNeedsDisplay();
}

void ActivityIndicatorView::startAnimating() {
  animating_ = true;
  setHidden(false);
}

void ActivityIndicatorView::stopAnimating() {
  animating_ = false;
  if (hidesWhenStopped_) setHidden(true);
}

void ActivityIndicatorView::setHidesWhenStopped(bool hides) {
  hidesWhenStopped_ = hides;
  if (!animating_) setHidden(hides);
}

Size ActivityIndicatorView::sizeThatFits(Size) const { return {sideFor(style_), sideFor(style_)}; }

void ActivityIndicatorView::draw(GraphicsContext& context, const Rect& rect) {
  constexpr int kSpokes = 12;
  double radius = std::min(rect.width(), rect.height()) / 2;
  double inner = radius * 0.45;
  context.save();
  context.setLineWidth(std::max(1.5, radius * 0.16));
  for (int i = 0; i < kSpokes; ++i) {
    double angle = 2 * std::numbers::pi * i / kSpokes - std::numbers::pi / 2;
    context.setStrokeColor(color_.withAlpha(color_.alpha * (0.25 + 0.75 * (kSpokes - i) / kSpokes)));
    context.moveTo({rect.midX() + inner * std::cos(angle), rect.midY() + inner * std::sin(angle)});
    context.lineTo({rect.midX() + radius * 0.9 * std::cos(angle), rect.midY() + radius * 0.9 * std::sin(angle)});
    context.strokePath();
  }
  context.restore();
}

}  // namespace ui
