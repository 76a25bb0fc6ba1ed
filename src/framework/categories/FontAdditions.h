#pragma once

#include "platform/ui/Font.h"

// Font metrics the screens lay text out by.
namespace framework::font_additions {

// Main thread. The font's line height (ascender to descender) plus one point.
double qrvLineHeight(const ui::Font& font);

}  // namespace framework::font_additions
