#include "src/framework/ui/QRVXibTableCellView.h"

#include "platform/ui/Nib.h"

namespace framework {

std::shared_ptr<ui::TableViewCell> QRVXibTableCellView::loadFromXib(const std::string& nibName) {
  ui::Nib::TopLevelObjects objects = ui::Nib::instantiate(nibName);
  return objects.empty() ? nullptr : std::dynamic_pointer_cast<ui::TableViewCell>(objects.front());
}

}  // namespace framework
