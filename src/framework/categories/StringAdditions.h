#pragma once

#include <string>
#include <string_view>

#include "platform/foundation/Value.h"
#include "platform/ui/Font.h"

// Text measurement, digests and duration texts.
namespace framework::string_additions {

// Main thread. The height of the text in the font, broken into lines no wider than `width`
// (tail truncation mode, no height limit).
double heightWithFont(std::string_view text, const ui::Font& font, int width);
// Main thread. How many lines the text takes in that width.
int numberOfLinesWithFont(std::string_view text, const ui::Font& font, int width);

// Any thread. The MD5 digest of the text's UTF-8 bytes as 32 lower-case hexadecimal digits.
std::string md5(std::string_view text);

// Any thread. Seconds (a number or numeric text) as "hh:mm:ss", each field of two digits at
// least: 3725 gives "01:02:05". Hours are not limited to two digits. Negative, missing or
// non-numeric values read as 0.
std::string formatTime(const foundation::Value& seconds);

}  // namespace framework::string_additions
