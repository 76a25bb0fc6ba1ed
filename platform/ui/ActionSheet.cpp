#include "platform/ui/ActionSheet.h"

#include "platform/foundation/NoDestructor.h"

namespace ui {
namespace {

std::vector<std::shared_ptr<ActionSheet>>& shownSheets() {
  static foundation::NoDestructor<std::vector<std::shared_ptr<ActionSheet>>> sheets;
  return *sheets;
}

}  // namespace

ActionSheet::ActionSheet(std::optional<std::string> title, ActionSheetDelegate* delegate,
                         std::optional<std::string> cancelButtonTitle,
                         std::optional<std::string> destructiveButtonTitle, std::vector<std::string> otherButtonTitles)
    : View(Rect{0, 0, 320, 200}), title_(std::move(title)), delegate_(delegate) {
  if (destructiveButtonTitle) {
    destructiveIndex_ = 0;
    buttons_.push_back(std::move(*destructiveButtonTitle));
  }
  for (auto& other : otherButtonTitles) buttons_.push_back(std::move(other));
  if (cancelButtonTitle) {
    cancelIndex_ = numberOfButtons();
    buttons_.push_back(std::move(*cancelButtonTitle));
  }
}

std::string ActionSheet::buttonTitle(int index) const {
  if (index < 0 || index >= numberOfButtons()) return {};
  return buttons_[static_cast<std::size_t>(index)];
}

void ActionSheet::showInView(View& view) {
  if (visible_) return;
  visible_ = true;
  host_ = view.weak_from_this();
  shownSheets().push_back(std::static_pointer_cast<ActionSheet>(shared_from_this()));
}

void ActionSheet::pressButton(int index) {
  if (!visible_ || index < 0 || index >= numberOfButtons()) return;
  auto keepAlive = shared_from_this();
  if (delegate_) delegate_->clickedButtonAtIndex(*this, index);
  visible_ = false;
  host_.reset();
  std::erase_if(shownSheets(), [this](const auto& sheet) { return sheet.get() == this; });
}

std::vector<std::shared_ptr<ActionSheet>> ActionSheet::visibleSheets() { return shownSheets(); }

}  // namespace ui
