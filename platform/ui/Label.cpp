#include "platform/ui/Label.h"

#include "platform/ui/TextLayout.h"

namespace ui {

Label::Label(const Rect& frame) : View(frame) {
  setUserInteractionEnabled(false);
  setOpaque(false);
}

Label::~Label() = default;

void Label::layoutChanged() {
  layout_.reset();
  setNeedsDisplay();
}

void Label::setText(std::string text) {
  text_ = std::move(text);
  layoutChanged();
}

void Label::setFont(const Font& font) {
  font_ = font;
  layoutChanged();
}

void Label::setTextColor(Color color) {
  textColor_ = color;
  setNeedsDisplay();
}

void Label::setTextAlignment(TextAlignment alignment) {
  alignment_ = alignment;
  layoutChanged();
}

void Label::setNumberOfLines(int lines) {
  numberOfLines_ = lines;
  layoutChanged();
}

void Label::setLineBreakMode(LineBreakMode mode) {
  lineBreakMode_ = mode;
  layoutChanged();
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

const TextLayout& Label::layoutFor(Size box) {
  if (!layout_ || layoutBox_ != box) {
    layout_ = std::make_unique<TextLayout>(text_, font_, box, lineBreakMode_, alignment_, numberOfLines_);
    layoutBox_ = box;
  }
  return *layout_;
}

View::DrawnContent Label::drawnContent() const {
  if (text_.empty()) return DrawnContent::Nothing;
  return shadowColor_.alpha > 0 ? DrawnContent::Overlapping : DrawnContent::OneLayer;
}

void Label::draw(GraphicsContext& context, const Rect& rect) {
  const TextLayout& layout = layoutFor(rect.size);
  double top = rect.minY() + (rect.height() - layout.size().height) / 2;
  if (shadowColor_.alpha > 0) {
    layout.draw(context, {rect.minX() + shadowOffset_.width, top + shadowOffset_.height}, shadowColor_);
  }
  layout.draw(context, {rect.minX(), top}, textColor_);
}

}  // namespace ui
