#include "src/framework/categories/FontAdditions.h"

namespace framework::font_additions {

double qrvLineHeight(const ui::Font& font) { return font.lineHeight() + 1.0; }

}  // namespace framework::font_additions
