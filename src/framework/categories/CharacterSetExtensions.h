#pragma once

#include "platform/foundation/CharacterSet.h"

namespace framework::character_set_extensions {

// Any thread. Line feed, form feed, carriage return, U+0085, U+2028 and U+2029.
const foundation::CharacterSet& linebreaksCharacterSet();

}  // namespace framework::character_set_extensions
