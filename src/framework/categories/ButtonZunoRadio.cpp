#include "src/framework/categories/ButtonZunoRadio.h"

namespace framework::button_zunoradio {

void setImageForAllState(ui::Button& button, ui::ImagePtr image) {
  button.setImage(image, ui::kStateNormal);
  button.setImage(image, ui::kStateHighlighted);
}

}  // namespace framework::button_zunoradio
