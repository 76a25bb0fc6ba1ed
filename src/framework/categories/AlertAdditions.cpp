#include "src/framework/categories/AlertAdditions.h"

#include <vector>

namespace framework::alert_additions {

std::shared_ptr<ui::AlertView> popupAlertByDelegate(ui::AlertViewDelegate* delegate,
                                                    const std::optional<std::string>& title,
                                                    const std::optional<std::string>& message) {
  return popupAlertByDelegate(delegate, title, message, "确定", std::nullopt);
}

std::shared_ptr<ui::AlertView> popupAlertByDelegate(ui::AlertViewDelegate* delegate,
                                                    const std::optional<std::string>& title,
                                                    const std::optional<std::string>& message,
                                                    const std::optional<std::string>& cancel,
                                                    const std::optional<std::string>& others) {
  std::vector<std::string> otherTitles;
  if (others) otherTitles.push_back(*others);
  auto alert = std::make_shared<ui::AlertView>(title, message, delegate, cancel, std::move(otherTitles));
  alert->show();
  return alert;
}

}  // namespace framework::alert_additions
