#pragma once

#include <functional>
#include <memory>

#include "platform/ui/NavigationItem.h"
#include "platform/ui/View.h"

namespace ui {

class Label;

// The bar along the top of a navigation controller: the top controller's left item (or a back
// button), its title and its right item, and above them the item's prompt when it has one (the
// bar then fits a taller height). Main thread only.
class NavigationBar : public View {
 public:
  static constexpr double kHeight = 44;
  static constexpr double kPromptHeight = 30;

  // Main thread.
  explicit NavigationBar(const Rect& frame);

  // Main thread. Shows the item; `back` (when set and the item has no left button and does not
  // hide the back button) makes a back button that runs it.
  void show(const NavigationItem& item, std::function<void()> back);
  // Main thread. What the bar shows now; nullptr when a side is empty.
  View* leftView() const { return left_.get(); }
  View* rightView() const { return right_.get(); }
  Label& titleLabel() { return *titleLabel_; }
  Label& promptLabel() { return *promptLabel_; }

  // Main thread. The bar's height: kHeight, plus kPromptHeight with a prompt.
  Size sizeThatFits(Size size) const override;
  void layoutSubviews() override;

 private:
  std::shared_ptr<View> viewFor(const std::shared_ptr<BarButtonItem>& item);

  std::shared_ptr<View> left_;
  std::shared_ptr<View> right_;
  std::shared_ptr<View> titleView_;
  std::shared_ptr<BarButtonItem> backItem_;
  std::shared_ptr<Label> titleLabel_;
  std::shared_ptr<Label> promptLabel_;
};

}  // namespace ui
