#include "platform/ui/AlertView.h"

#include <algorithm>

#include "platform/foundation/NoDestructor.h"

namespace ui {
namespace {

std::vector<std::shared_ptr<AlertView>>& shownAlerts() {
  static foundation::NoDestructor<std::vector<std::shared_ptr<AlertView>>> alerts;
  return *alerts;
}

std::function<void(AlertView&)>& showObserver() {
  static foundation::NoDestructor<std::function<void(AlertView&)>> observer;
  return *observer;
}

}  // namespace

AlertView::AlertView(std::optional<std::string> title, std::optional<std::string> message, AlertViewDelegate* delegate,
                     std::optional<std::string> cancelButtonTitle, std::vector<std::string> otherButtonTitles)
    : View(Rect{0, 0, 270, 140}),
      title_(std::move(title)),
      message_(std::move(message)),
      delegate_(delegate),
      hasCancel_(cancelButtonTitle.has_value()) {
  if (cancelButtonTitle) buttons_.push_back(std::move(*cancelButtonTitle));
  for (auto& other : otherButtonTitles) buttons_.push_back(std::move(other));
}

std::string AlertView::buttonTitle(int index) const {
  if (index < 0 || index >= numberOfButtons()) return {};
  return buttons_[static_cast<std::size_t>(index)];
}

int AlertView::firstOtherButtonIndex() const {
  int first = hasCancel_ ? 1 : 0;
  return first < numberOfButtons() ? first : -1;
}

void AlertView::show() {
  if (visible_) return;
  visible_ = true;
  shownAlerts().push_back(std::static_pointer_cast<AlertView>(shared_from_this()));
  if (showObserver()) showObserver()(*this);
}

void AlertView::setShowObserver(std::function<void(AlertView&)> observer) { showObserver() = std::move(observer); }

void AlertView::dismiss(int buttonIndex, bool) {
  if (!visible_) return;
  auto keepAlive = shared_from_this();
  visible_ = false;
  std::erase_if(shownAlerts(), [this](const auto& alert) { return alert.get() == this; });
  if (delegate_) delegate_->didDismiss(*this, buttonIndex);
}

void AlertView::pressButton(int index) {
  if (!visible_ || index < 0 || index >= numberOfButtons()) return;
  auto keepAlive = shared_from_this();
  if (delegate_) delegate_->clickedButtonAtIndex(*this, index);
  dismiss(index, true);
}

std::vector<std::shared_ptr<AlertView>> AlertView::visibleAlerts() { return shownAlerts(); }

}  // namespace ui
