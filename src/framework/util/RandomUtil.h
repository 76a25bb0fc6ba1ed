#pragma once

#include <cstdint>

#include "platform/foundation/Value.h"

namespace framework {

// A weighted random pick.
class RandomUtil {
 public:
  // The index of a rate picked with probability rate / total (integer rates, zero rates never
  // picked); -1 for no rates, the last index when every rate is zero.
  static std::int32_t getIndexByRandomRates(const foundation::Array& rates);
};

}  // namespace framework
