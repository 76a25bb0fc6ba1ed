#pragma once

#include <memory>

#include "platform/ui/TextField.h"

// Text fields in one call. Main thread.
namespace framework::text_field_additions {

// Main thread. A text field with the frame, border, colours, font, keyboard and tag; its return
// key reads "done", a clear button shows while editing, the left view shows unless editing, and
// autocorrection is off.
std::shared_ptr<ui::TextField> textFieldWithFrame(const ui::Rect& frame, ui::TextBorderStyle borderStyle,
                                                  ui::Color textColor, ui::Color backgroundColor, const ui::Font& font,
                                                  ui::KeyboardType keyboardType, int tag);

}  // namespace framework::text_field_additions
