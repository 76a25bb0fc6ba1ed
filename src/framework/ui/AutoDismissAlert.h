#pragma once

#include <memory>
#include <string>

#include "platform/ui/AlertView.h"

namespace framework {

// How long an auto-dismissing alert stays.
inline constexpr double kAutoDismissAlertSeconds = 0.5;

// Main thread. Shows an alert with the title and the single button "确定", and 0.5 s later
// dismisses it as if that button had been pressed. Returns the alert.
std::shared_ptr<ui::AlertView> showAutoDismissAlert(const std::string& title);

}  // namespace framework
