#include "src/framework/categories/TextFieldAdditions.h"

namespace framework::text_field_additions {

std::shared_ptr<ui::TextField> textFieldWithFrame(const ui::Rect& frame, ui::TextBorderStyle borderStyle,
                                                  ui::Color textColor, ui::Color backgroundColor, const ui::Font& font,
                                                  ui::KeyboardType keyboardType, int tag) {
  auto field = std::make_shared<ui::TextField>(frame);
  field->setBorderStyle(borderStyle);
  field->setTextColor(textColor);
  field->setBackgroundColor(backgroundColor);
  field->setFont(font);
  field->setKeyboardType(keyboardType);
  field->setTag(tag);
  field->setReturnKeyType(ui::ReturnKeyType::Done);
  field->setClearButtonMode(ui::TextFieldViewMode::WhileEditing);
  field->setLeftViewMode(ui::TextFieldViewMode::UnlessEditing);
  field->setAutocorrectionType(ui::TextAutocorrectionType::No);
  return field;
}

}  // namespace framework::text_field_additions
