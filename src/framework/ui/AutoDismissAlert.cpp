#include "src/framework/ui/AutoDismissAlert.h"

#include "platform/foundation/RunLoop.h"

namespace framework {

std::shared_ptr<ui::AlertView> showAutoDismissAlert(const std::string& title) {
  auto alert = std::make_shared<ui::AlertView>(title, std::nullopt, nullptr, "确定", std::vector<std::string>{});
  alert->show();
  std::weak_ptr<ui::AlertView> weakAlert = alert;
  foundation::RunLoop::main().scheduleTimer(foundation::Duration(kAutoDismissAlertSeconds), false, [weakAlert] {
    if (auto shown = weakAlert.lock(); shown && shown->isVisible()) shown->dismiss(0, true);
  });
  return alert;
}

}  // namespace framework
