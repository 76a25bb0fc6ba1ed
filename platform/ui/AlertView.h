#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/View.h"

namespace ui {

class AlertView;

// Hears which button of an alert was pressed. Main thread.
class AlertViewDelegate {
 public:
  virtual ~AlertViewDelegate() = default;
  virtual void clickedButtonAtIndex(AlertView& /*alert*/, int /*buttonIndex*/) {}
  virtual void didDismiss(AlertView& /*alert*/, int /*buttonIndex*/) {}
};

// The platform's modal alert: a title, a message and buttons, the cancel button first. Showing it
// puts it on the list of visible alerts (which keeps it alive) where tests read what it says and
// press its buttons. Made with std::make_shared. Main thread only.
class AlertView : public View {
 public:
  // Main thread. The delegate is unretained.
  AlertView(std::optional<std::string> title, std::optional<std::string> message, AlertViewDelegate* delegate,
            std::optional<std::string> cancelButtonTitle, std::vector<std::string> otherButtonTitles);

  const std::optional<std::string>& title() const { return title_; }
  const std::optional<std::string>& message() const { return message_; }
  AlertViewDelegate* delegate() const { return delegate_; }
  int numberOfButtons() const { return static_cast<int>(buttons_.size()); }
  // Main thread. The button's title; empty for an index out of range.
  std::string buttonTitle(int index) const;
  // Main thread. -1 when there is no cancel button.
  int cancelButtonIndex() const { return hasCancel_ ? 0 : -1; }
  int firstOtherButtonIndex() const;

  // Main thread.
  void show();
  bool isVisible() const { return visible_; }
  // Main thread. Takes the alert away as if the button had been pressed, without the click call.
  void dismiss(int buttonIndex, bool animated);
  // Main thread. What a tap on the button does: tells the delegate, then dismisses. Out-of-range
  // indices are ignored.
  void pressButton(int index);

  // Main thread. The alerts on screen, oldest first.
  static std::vector<std::shared_ptr<AlertView>> visibleAlerts();
  // Main thread. `observer` hears each alert as it is shown (one observer; empty for none).
  static void setShowObserver(std::function<void(AlertView&)> observer);

 private:
  std::optional<std::string> title_;
  std::optional<std::string> message_;
  AlertViewDelegate* delegate_;
  std::vector<std::string> buttons_;
  bool hasCancel_;
  bool visible_ = false;
};

}  // namespace ui
