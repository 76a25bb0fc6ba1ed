#pragma once

#include <string>

#include "platform/foundation/Value.h"

namespace framework {

// Duration texts.
class StringUtil {
 public:
  // Seconds (a number or numeric text) as "h:m:s" from one hour on, else "m:s", without leading
  // zeros: 65 gives "1:5", 3725 gives "1:2:5".
  static std::string formatTime(const foundation::Value& seconds);
};

}  // namespace framework
