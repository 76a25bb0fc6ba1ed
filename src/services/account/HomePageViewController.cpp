#include "src/services/account/HomePageViewController.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/NavigationController.h"

namespace services {

void HomePageViewController::viewDidLoad() {
  BaseViewController::viewDidLoad();
  if (user_) setTitle(user_->uname().value_or(""));
  setLeftBarButtonItemTitle("", [this] { goBack(); }, "nav_back.png", std::nullopt, {0, 0, 44, 44});
}

void HomePageViewController::goBack() {
  if (fromType_ == kFromPlayer) {
    foundation::NotificationCenter::defaultCenter().postNotificationName(kHomeDismissNotification);
    // The page came up inside a navigation controller: that controller is what was presented.
    ui::ViewController* presented = navigationController();
    (presented ? presented : this)->dismissViewController(true);
  } else if (auto* navigation = navigationController()) {
    navigation->popViewController(true);
  }
}

}  // namespace services
