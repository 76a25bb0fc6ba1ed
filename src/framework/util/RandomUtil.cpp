#include "src/framework/util/RandomUtil.h"

#include <algorithm>
#include <random>

namespace framework {

std::int32_t RandomUtil::getIndexByRandomRates(const foundation::Array& rates) {
  if (rates.empty()) return -1;
  static std::mt19937_64 generator{std::random_device{}()};
  std::int64_t total = 0;
  for (const auto& rate : rates) total += rate.toInt64();
  std::int64_t drawn =
      static_cast<std::int64_t>(generator() % static_cast<std::uint64_t>(std::max<std::int64_t>(total, 1))) + 1;
  std::int64_t running = 0;
  for (std::size_t i = 0; i < rates.size(); ++i) {
    std::int64_t rate = rates[i].toInt64();
    if (rate == 0) continue;
    std::int64_t before = running;
    running += rate;
    if (before < drawn && running >= drawn) return static_cast<std::int32_t>(i);
  }
  return static_cast<std::int32_t>(rates.size() - 1);
}

}  // namespace framework
