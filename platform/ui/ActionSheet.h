#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/View.h"

namespace ui {

class ActionSheet;

// Hears which button of an action sheet was pressed. Main thread.
class ActionSheetDelegate {
 public:
  virtual ~ActionSheetDelegate() = default;
  virtual void clickedButtonAtIndex(ActionSheet& /*sheet*/, int /*buttonIndex*/) {}
};

// The platform's sheet of choices rising from the bottom: the destructive button first, then the
// others, the cancel button last. Showing it puts it on the list of visible sheets (which keeps it
// alive) where tests read it and press its buttons. Made with std::make_shared. Main thread only.
class ActionSheet : public View {
 public:
  // Main thread. The delegate is unretained.
  ActionSheet(std::optional<std::string> title, ActionSheetDelegate* delegate,
              std::optional<std::string> cancelButtonTitle, std::optional<std::string> destructiveButtonTitle,
              std::vector<std::string> otherButtonTitles);

  const std::optional<std::string>& title() const { return title_; }
  int numberOfButtons() const { return static_cast<int>(buttons_.size()); }
  // Main thread. The button's title; empty for an index out of range.
  std::string buttonTitle(int index) const;
  // Main thread. -1 when there is no such button.
  int cancelButtonIndex() const { return cancelIndex_; }
  int destructiveButtonIndex() const { return destructiveIndex_; }

  // Main thread. Shows the sheet over the view's window.
  void showInView(View& view);
  bool isVisible() const { return visible_; }
  // Main thread. The view the sheet was shown in, while it shows.
  std::shared_ptr<View> shownInView() const { return host_.lock(); }
  // Main thread. What a tap on the button does: tells the delegate, then takes the sheet away.
  void pressButton(int index);

  // Main thread. The sheets on screen, oldest first.
  static std::vector<std::shared_ptr<ActionSheet>> visibleSheets();

 private:
  std::optional<std::string> title_;
  ActionSheetDelegate* delegate_;
  std::vector<std::string> buttons_;
  int cancelIndex_ = -1;
  int destructiveIndex_ = -1;
  bool visible_ = false;
  std::weak_ptr<View> host_;
};

}  // namespace ui
