#include "src/framework/ui/QRVXibViewUtils.h"

#include "platform/ui/Nib.h"

namespace framework {

std::shared_ptr<ui::View> QRVXibViewUtils::loadViewFromXibNamed(const std::string& nibName, const std::any& owner) {
  ui::Nib::TopLevelObjects objects = ui::Nib::instantiate(nibName, owner);
  return objects.empty() ? nullptr : objects.front();
}

std::shared_ptr<ui::View> QRVXibViewUtils::loadViewFromXibNamed(const std::string& nibName) {
  return loadViewFromXibNamed(nibName, std::any(static_cast<const QRVXibViewUtils*>(nullptr)));
}

}  // namespace framework
