#include "src/services/shell/BaseViewController.h"

#include <memory>

#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Image.h"
#include "src/services/shell/AppDelegate.h"

namespace services {
namespace {

std::shared_ptr<ui::BarButtonItem> barButton(const std::string& title, BaseViewController::Action action,
                                             const std::string& image,
                                             const std::optional<std::string>& highLightedImage,
                                             const ui::Rect& frame) {
  auto button = std::make_shared<ui::Button>(frame);
  button->setTitle(title);
  button->setBackgroundImage(ui::Image::named(image));
  if (highLightedImage) button->setBackgroundImage(ui::Image::named(*highLightedImage), ui::kStateHighlighted);
  button->addAction(ui::kTouchUpInside, [action = std::move(action)](ui::Control&) {
    if (action) action();
  });
  return std::make_shared<ui::BarButtonItem>(std::move(button));
}

}  // namespace

void BaseViewController::setLeftBarButtonItemTitle(const std::string& title, Action action, const std::string& image,
                                                   const std::optional<std::string>& highLightedImage,
                                                   const ui::Rect& frame) {
  navigationItem().leftBarButtonItem = barButton(title, std::move(action), image, highLightedImage, frame);
}

void BaseViewController::setRightBarButtonItemTitle(const std::string& title, Action action, const std::string& image,
                                                    const std::optional<std::string>& highLightedImage,
                                                    const ui::Rect& frame) {
  navigationItem().rightBarButtonItem = barButton(title, std::move(action), image, highLightedImage, frame);
}

void BaseViewController::backToSideBar() { AppDelegate::sharedDelegate().openLeftSideMenu(); }

}  // namespace services
