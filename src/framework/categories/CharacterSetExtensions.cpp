#include "src/framework/categories/CharacterSetExtensions.h"

#include "platform/foundation/NoDestructor.h"

namespace framework::character_set_extensions {

const foundation::CharacterSet& linebreaksCharacterSet() {
  static const foundation::NoDestructor<foundation::CharacterSet> kLineBreaks(
      foundation::CharacterSet{U'\n', U'\f', U'\r', U'\u0085', U'\u2028', U'\u2029'});
  return *kLineBreaks;
}

}  // namespace framework::character_set_extensions
