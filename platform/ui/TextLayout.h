#pragma once

#include <memory>
#include <string_view>

#include "platform/ui/Color.h"
#include "platform/ui/Font.h"
#include "platform/ui/Geometry.h"

namespace ui {

class GraphicsContext;

// Text broken into lines for a box, as labels, buttons and measurement need it. Lines that do not
// fit the box's height (or beyond maxLines, when above 0) are dropped; in the truncating modes the
// last kept line ends in an ellipsis. Main thread only.
class TextLayout {
 public:
  // Main thread.
  TextLayout(std::string_view text, const Font& font, Size box, LineBreakMode mode = LineBreakMode::WordWrap,
             TextAlignment alignment = TextAlignment::Left, int maxLines = 0);
  ~TextLayout();
  TextLayout(const TextLayout&) = delete;
  TextLayout& operator=(const TextLayout&) = delete;

  // Main thread. The room the kept lines take, rounded up to whole points.
  Size size() const { return size_; }
  // Main thread. How many lines are kept.
  int lineCount() const { return lineCount_; }
  // Main thread. Draws the kept lines with their top-left corner at `origin` of the box.
  void draw(GraphicsContext& context, Point origin, Color color) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  Size size_;
  int lineCount_ = 0;
};

}  // namespace ui
