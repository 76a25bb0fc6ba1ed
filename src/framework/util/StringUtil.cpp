#include "src/framework/util/StringUtil.h"

#include <algorithm>
#include <cmath>

namespace framework {

std::string StringUtil::formatTime(const foundation::Value& seconds) {
  // Beyond a few thousand years the parts would not fit the integer types.
  constexpr double kLimit = 1e12;
  double total = seconds.toDouble();
  total = std::isfinite(total) ? std::clamp(total, -kLimit, kLimit) : 0;
  auto hours = static_cast<long long>(total / 3600.0);
  auto minutes = static_cast<long long>((total - static_cast<double>(hours) * 3600) / 60.0);
  auto rest = static_cast<long long>(total - static_cast<double>(hours) * 3600 - static_cast<double>(minutes) * 60);
  if (hours >= 1) return std::to_string(hours) + ":" + std::to_string(minutes) + ":" + std::to_string(rest);
  return std::to_string(minutes) + ":" + std::to_string(rest);
}

}  // namespace framework
