#include "src/framework/categories/ButtonAdditions.h"

#include "platform/ui/Label.h"

namespace framework::button_additions {

std::shared_ptr<ui::Button> buttonWithFrame(const ui::Rect& frame, const std::optional<std::string>& title,
                                            ui::Color titleColor, ui::Color titleHighlightColor,
                                            const ui::Font& titleFont, ui::ImagePtr image, ui::ImagePtr tappedImage,
                                            ui::Control::Action action, int tag) {
  auto button = std::make_shared<ui::Button>(frame);
  if (title && !title->empty()) {
    button->setTitle(*title, ui::kStateNormal);
    button->setTitleColor(titleColor, ui::kStateNormal);
    button->setTitleColor(titleHighlightColor, ui::kStateHighlighted);
    button->titleLabel().setFont(titleFont);
  }
  if (action) button->addAction(ui::kTouchUpInside, std::move(action));
  button->setTag(tag);
  if (image) button->setBackgroundImage(std::move(image), ui::kStateNormal);
  if (tappedImage) button->setBackgroundImage(std::move(tappedImage), ui::kStateHighlighted);
  return button;
}

}  // namespace framework::button_additions
