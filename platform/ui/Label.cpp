#include "platform/ui/Label.h"

#include "platform/ui/TextLayout.h"

namespace ui {

Label::Label(const Rect& frame) : View(frame) {
  setUserInteractionEnabled(false);
  setOpaque(false);
}

void Label::setText(std::string text) {
  text_ = std::move(text);
  setNeedsDisplay();
}

void Label::setFont(const Font& font) {
  font_ = font;
  setNeedsDisplay();
}

void Label::setTextColor(Color color) {
  textColor_ = color;
  setNeedsDisplay();
}

void Label::setTextAlignment(TextAlignment alignment) {
  alignment_ = alignment;
  setNeedsDisplay();
}

void Label::setNumberOfLines(int lines) {
  numberOfLines_ = lines;
  setNeedsDisplay();
}

void Label::setLineBreakMode(LineBreakMode mode) {
  lineBreakMode_ = mode;
  setNeedsDisplay();
}

void Label::setShadowColor(Color color) {
  shadowColor_ = color;
  setNeedsDisplay();
}

void Label::setShadowOffset(Size offset) {
  shadowOffset_ = offset;
  setNeedsDisplay();
}

Size Label::sizeThatFits(Size size) const {
  double width = numberOfLines_ == 1 || size.width <= 0 ? kNoLimit : size.width;
  return TextLayout(text_, font_, {width, kNoLimit}, lineBreakMode_, alignment_, numberOfLines_).size();
}

void Label::draw(GraphicsContext& context, const Rect& rect) {
  TextLayout layout(text_, font_, rect.size, lineBreakMode_, alignment_, numberOfLines_);
  double top = rect.minY() + (rect.height() - layout.size().height) / 2;
  if (shadowColor_.alpha > 0) {
    layout.draw(context, {rect.minX() + shadowOffset_.width, top + shadowOffset_.height}, shadowColor_);
  }
  layout.draw(context, {rect.minX(), top}, textColor_);
}

}  // namespace ui
