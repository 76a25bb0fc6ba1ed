#include "platform/ui/ViewController.h"

#include "platform/ui/Application.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace ui {

ViewController::~ViewController() {
  if (presented_) presented_->presenting_ = nullptr;
}

const std::shared_ptr<View>& ViewController::view() {
  if (!view_) {
    loadView();
    if (!view_) view_ = std::make_shared<View>(Screen::main().bounds());
    viewDidLoad();
  }
  return view_;
}

void ViewController::loadView() {
  view_ = std::make_shared<View>(Screen::main().bounds());
  view_->setBackgroundColor(Color::white());
}

NavigationController* ViewController::navigationController() const {
  for (ViewController* c = parent_; c; c = c->parent_) {
    if (auto* navigation = dynamic_cast<NavigationController*>(c)) return navigation;
  }
  return nullptr;
}

bool ViewController::presentViewController(std::shared_ptr<ViewController> controller, bool animated,
                                           std::function<void()> completion) {
  Window* window = isViewLoaded() ? view_->window() : nullptr;
  if (!window) window = Application::shared().keyWindow();
  if (!controller || presented_ || !window || controller->presenting_) return false;
  presented_ = controller;
  controller->presenting_ = this;
  auto shown = controller->view();
  Rect full = window->bounds();
  shown->setFrame(animated ? full.offsetBy(0, full.height()) : full);
  controller->viewWillAppear(animated);
  window->addSubview(shown);
  std::weak_ptr<ViewController> weak = controller;
  auto finish = [weak, animated, completion = std::move(completion)](bool) {
    if (auto presentedNow = weak.lock()) presentedNow->viewDidAppear(animated);
    if (completion) completion();
  };
  if (!animated) {
    finish(true);
    return true;
  }
  View::animate(
      foundation::Duration(kTransitionSeconds), foundation::Duration(0), {.curve = AnimationCurve::EaseOut},
      [&] { shown->setFrame(full); }, finish);
  return true;
}

void ViewController::dismissViewController(bool animated, std::function<void()> completion) {
  if (!presented_) {
    if (presenting_) presenting_->dismissViewController(animated, std::move(completion));
    return;
  }
  std::shared_ptr<ViewController> leaving = std::move(presented_);
  leaving->presenting_ = nullptr;
  leaving->viewWillDisappear(animated);
  auto finish = [leaving, animated, completion = std::move(completion)](bool) {
    leaving->view()->removeFromSuperview();
    leaving->viewDidDisappear(animated);
    if (completion) completion();
  };
  if (!animated) {
    finish(true);
    return;
  }
  auto shown = leaving->view();
  Rect gone = shown->frame().offsetBy(0, Screen::main().bounds().height());
  View::animate(
      foundation::Duration(kTransitionSeconds), foundation::Duration(0), {.curve = AnimationCurve::EaseIn},
      [&] { shown->setFrame(gone); }, finish);
}

}  // namespace ui
