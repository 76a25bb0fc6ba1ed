#include "src/framework/categories/StringAdditions.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Digest.h"
#include "platform/ui/TextLayout.h"

namespace framework::string_additions {
namespace {

// Single-precision rounding can leave a field a hair below zero for very long durations.
std::string twoDigits(int field) {
  field = std::max(field, 0);
  return field > 9 ? std::to_string(field) : "0" + std::to_string(field);
}

}  // namespace

double heightWithFont(std::string_view text, const ui::Font& font, int width) {
  ui::Size box{static_cast<double>(width), ui::kNoLimit};
  return ui::sizeOfText(text, font, box, ui::LineBreakMode::TruncateTail).height;
}

// Counted by the layout itself: dividing the height by a line height one point taller than the
// font's lines undercounts long texts, and a label given too few lines cuts its text.
int numberOfLinesWithFont(std::string_view text, const ui::Font& font, int width) {
  ui::Size box{static_cast<double>(width), ui::kNoLimit};
  return ui::TextLayout(text, font, box, ui::LineBreakMode::TruncateTail).lineCount();
}

std::string md5(std::string_view text) { return foundation::md5Hex(text); }

std::string formatTime(const foundation::Value& seconds) {
  // Durations are counted in single precision; values past what an int of hours can hold (and
  // negative or NaN ones, which have no sensible text) are held to the range.
  constexpr float kLimit = 2e9f;
  float s = static_cast<float>(seconds.toDouble());
  s = std::isnan(s) ? 0.0f : std::fmin(std::fmax(s, 0.0f), kLimit);
  int hours = static_cast<int>(s / 3600.0f);
  int minutes = static_cast<int>((s - static_cast<float>(hours) * 3600.0f) / 60.0f);
  int rest = static_cast<int>(s - (static_cast<float>(minutes) * 60.0f + static_cast<float>(hours) * 3600.0f));
  return twoDigits(hours) + ":" + twoDigits(minutes) + ":" + twoDigits(rest);
}

}  // namespace framework::string_additions
