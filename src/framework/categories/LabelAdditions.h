#pragma once

#include <memory>
#include <string>

#include "platform/ui/Label.h"

// Labels in one call. Main thread.
namespace framework::label_additions {

// Main thread. A left-aligned label on a clear background with the text, colour, font and tag.
std::shared_ptr<ui::Label> labelWithFrame(const ui::Rect& frame, const std::string& text, ui::Color textColor,
                                          const ui::Font& font, int tag);
// Main thread. The same label for a navigation bar's title: (0, 0, 320, 44), tag 0, centred.
std::shared_ptr<ui::Label> labelForNavigationBarWithTitle(const std::string& title, ui::Color textColor,
                                                          const ui::Font& font);

}  // namespace framework::label_additions
