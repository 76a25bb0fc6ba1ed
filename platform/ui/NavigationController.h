#pragma once

#include <memory>
#include <vector>

#include "platform/ui/ViewController.h"

namespace ui {

class NavigationBar;

// A stack of controllers under a navigation bar: the top one's view fills the space below the
// bar. Pushing slides the new view in from the right in 0.3 s, popping slides the top one out.
// Main thread only.
class NavigationController : public ViewController {
 public:
  // Main thread.
  explicit NavigationController(std::shared_ptr<ViewController> root);

  // Main thread.
  void pushViewController(std::shared_ptr<ViewController> controller, bool animated);
  // Main thread. The popped controller; nullptr when only the root is left.
  std::shared_ptr<ViewController> popViewController(bool animated);
  std::vector<std::shared_ptr<ViewController>> popToRootViewController(bool animated);
  const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return stack_; }
  ViewController* topViewController() const { return stack_.empty() ? nullptr : stack_.back().get(); }

  // Main thread.
  NavigationBar& navigationBar();
  bool isNavigationBarHidden() const { return barHidden_; }
  void setNavigationBarHidden(bool hidden, bool animated);

  void loadView() override;
  void viewDidLoad() override;

 private:
  Rect contentFrame();
  void showTop(const std::shared_ptr<ViewController>& leaving, bool animated, bool forward);
  void refreshBar();

  std::vector<std::shared_ptr<ViewController>> stack_;
  std::shared_ptr<NavigationBar> bar_;
  bool barHidden_ = false;
};

}  // namespace ui
