#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/Button.h"
#include "platform/ui/Font.h"

// Buttons in one call. Main thread.
namespace framework::button_additions {

// Main thread. A custom button with the frame and tag. A non-empty title comes with its normal
// colour, its highlighted colour and the font; the action (when given) runs on touch-up-inside;
// each picture given becomes the normal or highlighted background.
std::shared_ptr<ui::Button> buttonWithFrame(const ui::Rect& frame, const std::optional<std::string>& title,
                                            ui::Color titleColor, ui::Color titleHighlightColor,
                                            const ui::Font& titleFont, ui::ImagePtr image, ui::ImagePtr tappedImage,
                                            ui::Control::Action action, int tag);

}  // namespace framework::button_additions
