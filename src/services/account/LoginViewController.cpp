#include "src/services/account/LoginViewController.h"

#include <memory>

namespace services {

void LoginViewController::popupLoginView(ui::ViewController& presenter) { popup(presenter, false); }

void LoginViewController::popupRegistView(ui::ViewController& presenter) { popup(presenter, true); }

void LoginViewController::popup(ui::ViewController& presenter, bool regist) {
  ui::ViewController* top = &presenter;
  while (top->presentedViewController()) top = top->presentedViewController().get();
  auto login = std::make_shared<LoginViewController>();
  login->setIsRegist(regist);
  top->presentViewController(std::move(login), true);
}

void LoginViewController::viewDidLoad() {
  BaseViewController::viewDidLoad();
  setTitle(isRegist_ ? "注册" : "登录");
}

}  // namespace services
