#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/AlertView.h"

// Alerts in one call. Main thread.
namespace framework::alert_additions {

// Main thread. Shows an alert whose only button is the cancel button "确定"; returns it.
std::shared_ptr<ui::AlertView> popupAlertByDelegate(ui::AlertViewDelegate* delegate,
                                                    const std::optional<std::string>& title,
                                                    const std::optional<std::string>& message);
// Main thread. Shows an alert with the cancel button and, when given, one other button.
std::shared_ptr<ui::AlertView> popupAlertByDelegate(ui::AlertViewDelegate* delegate,
                                                    const std::optional<std::string>& title,
                                                    const std::optional<std::string>& message,
                                                    const std::optional<std::string>& cancel,
                                                    const std::optional<std::string>& others);

}  // namespace framework::alert_additions
