#pragma once

#include <limits>
#include <string_view>

#include "platform/ui/Geometry.h"

namespace ui {

// The system font, regular or bold, by size in points. Text is set in DejaVu Sans with
// WenQuanYi Micro Hei for Chinese, from the application's own font configuration, so that text
// measures the same on every machine. Plain value: any thread; measuring is main thread only.
class Font {
 public:
  static Font systemFont(double pointSize) { return Font(pointSize, false); }
  static Font boldSystemFont(double pointSize) { return Font(pointSize, true); }

  double pointSize() const { return pointSize_; }
  bool isBold() const { return bold_; }
  // Main thread. The height of one line of text in this font.
  double lineHeight() const;

  friend bool operator==(const Font&, const Font&) = default;

 private:
  Font(double pointSize, bool bold) : pointSize_(pointSize), bold_(bold) {}
  double pointSize_;
  bool bold_;
};

enum class LineBreakMode { WordWrap, CharacterWrap, Clip, TruncateHead, TruncateTail, TruncateMiddle };
enum class TextAlignment { Left, Center, Right };

// A constraint without a limit.
inline constexpr double kNoLimit = std::numeric_limits<double>::infinity();

// Main thread. The size that `text` needs in `font` when broken into lines no wider than
// constraint.width, keeping only the whole lines that fit in constraint.height (at least one).
// Word wrapping breaks a word only when it is wider than a line. Widths and heights are rounded up
// to whole points; empty text needs no room.
Size sizeOfText(std::string_view text, const Font& font, Size constraint = {kNoLimit, kNoLimit},
                LineBreakMode mode = LineBreakMode::WordWrap);

}  // namespace ui
