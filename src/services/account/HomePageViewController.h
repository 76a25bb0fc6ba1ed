#pragma once

#include "src/api/models/UserModel.h"
#include "src/services/shell/BaseViewController.h"

namespace services {

// A user's home page. Opened from the player (origin type kFromPlayer) it is presented inside a
// navigation controller, and its back button posts "notificationHomeDismiss" and dismisses it.
// Main thread only.
class HomePageViewController : public BaseViewController {
 public:
  static constexpr int kFromPlayer = 1111;
  static constexpr const char* kHomeDismissNotification = "notificationHomeDismiss";

  const api::UserModelPtr& user() const { return user_; }
  void setUser(api::UserModelPtr user) { user_ = std::move(user); }
  int fromType() const { return fromType_; }
  void setFromType(int type) { fromType_ = type; }

  void viewDidLoad() override;
  // What the back button does.
  void goBack();

 private:
  api::UserModelPtr user_;
  int fromType_ = 0;
};

}  // namespace services
