#include "src/framework/categories/LabelAdditions.h"

namespace framework::label_additions {

std::shared_ptr<ui::Label> labelWithFrame(const ui::Rect& frame, const std::string& text, ui::Color textColor,
                                          const ui::Font& font, int tag, bool hasShadow) {
  auto label = std::make_shared<ui::Label>(frame);
  label->setText(text);
  label->setTextColor(textColor);
  label->setFont(font);
  label->setTag(tag);
  label->setBackgroundColor(ui::Color::clear());
  label->setTextAlignment(ui::TextAlignment::Left);
  if (hasShadow) {
    label->setShadowColor(ui::Color::black());
    label->setShadowOffset({1.0, 1.0});
  }
  return label;
}

std::shared_ptr<ui::Label> labelForNavigationBarWithTitle(const std::string& title, ui::Color textColor,
                                                          const ui::Font& font, bool hasShadow) {
  auto label = labelWithFrame(ui::Rect{0, 0, 320, 44}, title, textColor, font, 0, hasShadow);
  label->setTextAlignment(ui::TextAlignment::Center);
  return label;
}

}  // namespace framework::label_additions
