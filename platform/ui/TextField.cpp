#include "platform/ui/TextField.h"

#include <algorithm>

#include "platform/ui/Application.h"
#include "platform/ui/GraphicsContext.h"
#include "platform/ui/TextLayout.h"
#include "platform/ui/Touch.h"

namespace ui {
namespace {

constexpr double kTextInset = 7;
constexpr double kClearButtonSize = 19;
constexpr const char* kSecureDot = "\u2022";

// The field being edited; a field clears it when it stops editing or goes away.
TextField*& firstResponder() {
  static TextField* field = nullptr;
  return field;
}

bool isContinuationByte(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

}  // namespace

TextField::TextField(const Rect& frame) : Control(frame) { setOpaque(false); }

TextField::~TextField() {
  if (firstResponder() == this) {
    firstResponder() = nullptr;
    Application::shared().hideKeyboard();
  }
}

void TextField::setText(std::string text) {
  text_ = std::move(text);
  setNeedsDisplay();
}

void TextField::setPlaceholder(std::string placeholder) {
  placeholder_ = std::move(placeholder);
  setNeedsDisplay();
}

void TextField::setFont(const Font& font) {
  font_ = font;
  setNeedsDisplay();
}

void TextField::setTextColor(Color color) {
  textColor_ = color;
  setNeedsDisplay();
}

void TextField::setBorderStyle(TextBorderStyle style) {
  borderStyle_ = style;
  setNeedsDisplay();
}

void TextField::setSecureTextEntry(bool secure) {
  secure_ = secure;
  setNeedsDisplay();
}

std::string TextField::displayedText() const {
  if (!secure_) return text_;
  std::string dots;
  for (char byte : text_) {
    if (!isContinuationByte(byte)) dots += kSecureDot;
  }
  return dots;
}

void TextField::setClearButtonMode(TextFieldViewMode mode) {
  clearButtonMode_ = mode;
  setNeedsDisplay();
}

void TextField::setLeftView(std::shared_ptr<View> view) {
  if (leftView_) leftView_->removeFromSuperview();
  leftView_ = std::move(view);
  if (leftView_) addSubview(leftView_);
  setNeedsLayout();
}

void TextField::setLeftViewMode(TextFieldViewMode mode) {
  leftViewMode_ = mode;
  setNeedsLayout();
}

bool TextField::becomeFirstResponder() {
  if (editing_) return true;
  if (!window()) return false;
  if (TextField* previous = firstResponder()) previous->resignFirstResponder();
  firstResponder() = this;
  editing_ = true;
  setNeedsLayout();
  setNeedsDisplay();
  Application::shared().showKeyboard();
  return true;
}

void TextField::resignFirstResponder() {
  if (!editing_) return;
  editing_ = false;
  firstResponder() = nullptr;
  setNeedsLayout();
  setNeedsDisplay();
  Application::shared().hideKeyboard();
}

void TextField::insertText(const std::string& text) {
  if (!editing_) return;
  text_ += text;
  setNeedsDisplay();
}

void TextField::deleteBackward() {
  if (!editing_ || text_.empty()) return;
  std::size_t end = text_.size() - 1;
  while (end > 0 && isContinuationByte(text_[end])) --end;
  text_.erase(end);
  setNeedsDisplay();
}

void TextField::touchesEnded(const Touch& touch) {
  Control::touchesEnded(touch);
  if (!isEnabled()) return;
  if (showsClearButton() && clearButtonRect().contains(touch.locationIn(this))) {
    setText("");
    return;
  }
  becomeFirstResponder();
}

bool TextField::shows(TextFieldViewMode mode) const {
  switch (mode) {
    case TextFieldViewMode::Never:
      return false;
    case TextFieldViewMode::WhileEditing:
      return editing_;
    case TextFieldViewMode::UnlessEditing:
      return !editing_;
    case TextFieldViewMode::Always:
      return true;
  }
  return false;
}

bool TextField::showsClearButton() const { return !text_.empty() && shows(clearButtonMode_); }

Rect TextField::clearButtonRect() const {
  Rect box = bounds();
  return {box.maxX() - kTextInset - kClearButtonSize, box.midY() - kClearButtonSize / 2, kClearButtonSize,
          kClearButtonSize};
}

Rect TextField::textRect() const {
  Rect box = bounds();
  double left = box.minX() + kTextInset;
  if (leftView_ && !leftView_->isHidden()) left = leftView_->frame().maxX() + kTextInset;
  double right = showsClearButton() ? clearButtonRect().minX() - kTextInset / 2 : box.maxX() - kTextInset;
  return {left, box.minY(), std::max(0.0, right - left), box.height()};
}

void TextField::layoutSubviews() {
  if (!leftView_) return;
  leftView_->setHidden(!shows(leftViewMode_));
  Rect f = leftView_->frame();
  leftView_->setFrame({kTextInset, bounds().midY() - f.height() / 2, f.width(), f.height()});
}

void TextField::drawBorder(GraphicsContext& context, const Rect& rect) const {
  switch (borderStyle_) {
    case TextBorderStyle::None:
      return;
    case TextBorderStyle::Line:
      context.setStrokeColor(Color::black());
      context.setLineWidth(1);
      context.strokeRect(rect.insetBy(0.5, 0.5));
      return;
    case TextBorderStyle::Bezel:
      context.setStrokeColor(Color::white(0.45));
      context.setLineWidth(1);
      context.strokeRect(rect.insetBy(0.5, 0.5));
      return;
    case TextBorderStyle::RoundedRect:
      context.setFillColor(Color::white());
      context.fillRoundedRect(rect.insetBy(0.5, 0.5), 5);
      context.setStrokeColor(Color::white(0.78));
      context.setLineWidth(1);
      context.strokeRoundedRect(rect.insetBy(0.5, 0.5), 5);
      return;
  }
}

void TextField::drawClearButton(GraphicsContext& context) const {
  Rect circle = clearButtonRect();
  context.setFillColor(Color::white(0.7));
  context.fillEllipse(circle);
  Rect cross = circle.insetBy(6, 6);
  context.setStrokeColor(Color::white());
  context.setLineWidth(1.5);
  context.moveTo({cross.minX(), cross.minY()});
  context.lineTo({cross.maxX(), cross.maxY()});
  context.moveTo({cross.maxX(), cross.minY()});
  context.lineTo({cross.minX(), cross.maxY()});
  context.strokePath();
}

void TextField::draw(GraphicsContext& context, const Rect& rect) {
  drawBorder(context, rect);
  Rect box = textRect();
  bool empty = text_.empty();
  std::string shown = empty ? placeholder_ : displayedText();
  TextLayout layout(shown, font_, {box.width(), kNoLimit}, LineBreakMode::Clip, TextAlignment::Left, 1);
  double top = box.minY() + (box.height() - layout.size().height) / 2;
  layout.draw(context, {box.minX(), top}, empty ? Color::white(0.7) : textColor_);
  if (editing_) {
    double caretX = box.minX() + (empty ? 0 : std::min(layout.size().width, box.width())) + 1;
    context.setFillColor(Color::rgb255(0, 122, 255));
    context.fillRect({caretX, top, 2, font_.lineHeight()});
  }
  if (showsClearButton()) drawClearButton(context);
}

}  // namespace ui
