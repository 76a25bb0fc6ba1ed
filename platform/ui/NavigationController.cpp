#include "platform/ui/NavigationController.h"

#include "platform/ui/NavigationBar.h"
#include "platform/ui/Screen.h"

namespace ui {

NavigationController::NavigationController(std::shared_ptr<ViewController> root) {
  if (!root) return;
  root->setParent(this);
  stack_.push_back(std::move(root));
}

void NavigationController::loadView() {
  auto container = std::make_shared<View>(Screen::main().bounds());
  container->setBackgroundColor(Color::white());
  bar_ = std::make_shared<NavigationBar>(Rect{0, 0, container->bounds().width(), NavigationBar::kHeight});
  container->addSubview(bar_);
  setView(container);
}

void NavigationController::viewDidLoad() {
  if (stack_.empty()) return;
  auto top = stack_.back()->view();
  top->setFrame(contentFrame());
  top->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  view()->insertSubview(top, 0);
  refreshBar();
}

NavigationBar& NavigationController::navigationBar() {
  view();
  return *bar_;
}

Rect NavigationController::contentFrame() {
  Rect all = view()->bounds();
  if (barHidden_) return all;
  return {0, NavigationBar::kHeight, all.width(), all.height() - NavigationBar::kHeight};
}

void NavigationController::setNavigationBarHidden(bool hidden, bool) {
  barHidden_ = hidden;
  navigationBar().setHidden(hidden);
  if (!stack_.empty() && stack_.back()->isViewLoaded()) stack_.back()->view()->setFrame(contentFrame());
}

void NavigationController::refreshBar() {
  if (stack_.empty()) return;
  std::function<void()> back;
  if (stack_.size() > 1) {
    std::weak_ptr<ViewController> weak = weak_from_this();
    back = [weak] {
      if (auto self = weak.lock()) static_cast<NavigationController&>(*self).popViewController(true);
    };
  }
  navigationBar().show(stack_.back()->navigationItem(), std::move(back));
}

void NavigationController::pushViewController(std::shared_ptr<ViewController> controller, bool animated) {
  if (!controller || controller->parentViewController()) return;
  std::shared_ptr<ViewController> leaving = stack_.empty() ? nullptr : stack_.back();
  controller->setParent(this);
  stack_.push_back(std::move(controller));
  showTop(leaving, animated, true);
}

std::shared_ptr<ViewController> NavigationController::popViewController(bool animated) {
  if (stack_.size() < 2) return nullptr;
  std::shared_ptr<ViewController> leaving = std::move(stack_.back());
  stack_.pop_back();
  leaving->setParent(nullptr);
  showTop(leaving, animated, false);
  return leaving;
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToRootViewController(bool animated) {
  std::vector<std::shared_ptr<ViewController>> popped;
  if (stack_.size() < 2) return popped;
  std::shared_ptr<ViewController> leaving = stack_.back();
  popped.assign(stack_.begin() + 1, stack_.end());
  stack_.resize(1);
  for (const auto& controller : popped) controller->setParent(nullptr);
  showTop(leaving, animated, false);
  return popped;
}

void NavigationController::showTop(const std::shared_ptr<ViewController>& leaving, bool animated, bool forward) {
  if (!isViewLoaded()) return;  // the views are placed when this controller's view loads
  std::shared_ptr<ViewController> arriving = stack_.back();
  Rect frame = contentFrame();
  auto arrivingView = arriving->view();
  arrivingView->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  double width = frame.width();
  arrivingView->setFrame(animated && forward ? frame.offsetBy(width, 0) : frame);
  if (forward || !leaving) {
    view()->insertSubviewBelow(arrivingView, *bar_);
  } else {
    view()->insertSubviewBelow(arrivingView, *leaving->view());
  }
  arriving->viewWillAppear(animated);
  if (leaving) leaving->viewWillDisappear(animated);
  refreshBar();
  auto finish = [arriving, leaving, animated](bool) {
    if (leaving) {
      leaving->view()->removeFromSuperview();
      leaving->viewDidDisappear(animated);
    }
    arriving->viewDidAppear(animated);
  };
  if (!animated) {
    finish(true);
    return;
  }
  auto leavingView = leaving ? leaving->view() : nullptr;
  View::animate(
      foundation::Duration(kTransitionSeconds),
      [&] {
        arrivingView->setFrame(frame);
        if (leavingView) leavingView->setFrame(frame.offsetBy(forward ? -width / 3 : width, 0));
      },
      finish);
}

}  // namespace ui
