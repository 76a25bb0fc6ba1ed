#pragma once

#include "platform/ui/Button.h"

// The application's own button helper. Main thread.
namespace framework::button_zunoradio {

// Main thread. The image for the normal and the highlighted state.
void setImageForAllState(ui::Button& button, ui::ImagePtr image);

}  // namespace framework::button_zunoradio
