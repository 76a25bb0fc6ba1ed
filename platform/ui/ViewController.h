#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/ui/NavigationItem.h"
#include "platform/ui/View.h"

namespace ui {

class NavigationController;

// Owns one screen's view, made on first use (loadView, then viewDidLoad), and presents other
// controllers modally over the window: the presented view slides up from the bottom in 0.3 s and
// slides down when dismissed. Made with std::make_shared. Main thread only.
class ViewController : public std::enable_shared_from_this<ViewController> {
 public:
  static constexpr double kTransitionSeconds = 0.3;

  // Main thread.
  ViewController() = default;
  virtual ~ViewController();
  ViewController(const ViewController&) = delete;
  ViewController& operator=(const ViewController&) = delete;

  // Main thread. The view, loaded on first use.
  const std::shared_ptr<View>& view();
  bool isViewLoaded() const { return view_ != nullptr; }
  void setView(std::shared_ptr<View> view) { view_ = std::move(view); }

  // Main thread. Overridable steps of the view's life.
  virtual void loadView();
  virtual void viewDidLoad() {}
  virtual void viewWillAppear(bool /*animated*/) {}
  virtual void viewDidAppear(bool /*animated*/) {}
  virtual void viewWillDisappear(bool /*animated*/) {}
  virtual void viewDidDisappear(bool /*animated*/) {}

  // Main thread. The title also becomes the navigation item's title.
  const std::string& title() const { return navigationItem_.title; }
  void setTitle(std::string title) { navigationItem_.title = std::move(title); }
  NavigationItem& navigationItem() { return navigationItem_; }
  // Main thread. The navigation controller this controller is in, or nullptr.
  NavigationController* navigationController() const;
  ViewController* parentViewController() const { return parent_; }

  // Main thread. Presents `controller` over this one's window; refused (false, no completion)
  // while this controller already presents one or has no window to present in.
  bool presentViewController(std::shared_ptr<ViewController> controller, bool animated,
                             std::function<void()> completion = {});
  // Main thread. Dismisses what this controller presents, or, for a presented controller, itself.
  void dismissViewController(bool animated, std::function<void()> completion = {});
  const std::shared_ptr<ViewController>& presentedViewController() const { return presented_; }
  ViewController* presentingViewController() const { return presenting_; }

  // Main thread.
  bool isEditing() const { return editing_; }
  virtual void setEditing(bool editing, bool /*animated*/) { editing_ = editing; }

 protected:
  friend class NavigationController;
  void setParent(ViewController* parent) { parent_ = parent; }

 private:
  std::shared_ptr<View> view_;
  NavigationItem navigationItem_;
  ViewController* parent_ = nullptr;
  std::shared_ptr<ViewController> presented_;
  ViewController* presenting_ = nullptr;
  bool editing_ = false;
};

}  // namespace ui
