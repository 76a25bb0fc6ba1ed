#pragma once

#include <memory>
#include <string>

#include "platform/ui/Font.h"
#include "platform/ui/View.h"

namespace ui {

class TextLayout;

// One or more lines of text, centred vertically in the label's bounds. Main thread only.
class Label : public View {
 public:
  // Main thread.
  explicit Label(const Rect& frame = {});
  ~Label() override;

  // Main thread.
  const std::string& text() const { return text_; }
  void setText(std::string text);
  const Font& font() const { return font_; }
  void setFont(const Font& font);
  Color textColor() const { return textColor_; }
  void setTextColor(Color color);
  TextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(TextAlignment alignment);
  // Main thread. 0 means as many lines as fit.
  int numberOfLines() const { return numberOfLines_; }
  void setNumberOfLines(int lines);
  LineBreakMode lineBreakMode() const { return lineBreakMode_; }
  void setLineBreakMode(LineBreakMode mode);
  // Main thread. A copy of the text drawn beneath it at the offset; none while the colour is
  // clear (the default).
  Color shadowColor() const { return shadowColor_; }
  void setShadowColor(Color color);
  Size shadowOffset() const { return shadowOffset_; }
  void setShadowOffset(Size offset);

  // Main thread. One line: the text's natural width; more lines: wrapped to size.width.
  Size sizeThatFits(Size size) const override;
  void draw(GraphicsContext& context, const Rect& rect) override;
  DrawnContent drawnContent() const override;

 private:
  // Setters of what the lines depend on drop the kept layout.
  void layoutChanged();
  const TextLayout& layoutFor(Size box);

  std::string text_;
  Font font_ = Font::systemFont(17);
  Color textColor_ = Color::black();
  TextAlignment alignment_ = TextAlignment::Left;
  int numberOfLines_ = 1;
  LineBreakMode lineBreakMode_ = LineBreakMode::TruncateTail;
  Color shadowColor_ = Color::clear();
  Size shadowOffset_{0, -1};
  // Breaking text into lines is the dearest part of drawing a label, so the lines are kept
  // for as long as the text, its settings and the box stay the same.
  std::unique_ptr<TextLayout> layout_;
  Size layoutBox_;
};

}  // namespace ui
