#pragma once

#include <memory>
#include <string>

#include "platform/ui/Label.h"

// Labels in one call. Main thread.
namespace framework::label_additions {

// Main thread. A left-aligned label on a clear background with the text, colour, font and tag;
// with `hasShadow`, a black text shadow one point right and down.
std::shared_ptr<ui::Label> labelWithFrame(const ui::Rect& frame, const std::string& text, ui::Color textColor,
                                          const ui::Font& font, int tag, bool hasShadow = false);
// Main thread. The same label for a navigation bar's title: (0, 0, 320, 44), tag 0, centred.
std::shared_ptr<ui::Label> labelForNavigationBarWithTitle(const std::string& title, ui::Color textColor,
                                                          const ui::Font& font, bool hasShadow = false);

}  // namespace framework::label_additions
