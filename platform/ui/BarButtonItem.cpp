#include "platform/ui/BarButtonItem.h"

namespace ui {

BarButtonItem::BarButtonItem(std::string title, Action action) : title_(std::move(title)), action_(std::move(action)) {}

BarButtonItem::BarButtonItem(ImagePtr image, Action action) : image_(std::move(image)), action_(std::move(action)) {}

BarButtonItem::BarButtonItem(std::shared_ptr<View> customView) : customView_(std::move(customView)) {}

void BarButtonItem::press() const {
  if (enabled_ && action_) action_();
}

}  // namespace ui
