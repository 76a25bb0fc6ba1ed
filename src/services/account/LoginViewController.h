#pragma once

#include "platform/ui/ViewController.h"
#include "src/services/shell/BaseViewController.h"

namespace services {

// The login screen, which opens on registration when `isRegist` is set. Main thread only.
class LoginViewController : public BaseViewController {
 public:
  // Present a new login screen, or one opening on registration, modally with animation. It
  // goes on the controller that is presented on top of `presenter`, so that an open sheet or
  // screen does not refuse it.
  static void popupLoginView(ui::ViewController& presenter);
  static void popupRegistView(ui::ViewController& presenter);

  bool isRegist() const { return isRegist_; }
  void setIsRegist(bool regist) { isRegist_ = regist; }

  void viewDidLoad() override;

 private:
  static void popup(ui::ViewController& presenter, bool regist);

  bool isRegist_ = false;
};

}  // namespace services
