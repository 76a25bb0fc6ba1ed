#include "src/framework/ui/QRVXibView.h"

#include "platform/ui/Nib.h"

namespace framework {

std::shared_ptr<ui::View> QRVXibView::loadFromXib(const std::string& nibName) {
  // A nib that holds nothing yields nothing rather than an out-of-range read.
  ui::Nib::TopLevelObjects objects = ui::Nib::instantiate(nibName);
  return objects.empty() ? nullptr : objects.front();
}

}  // namespace framework
