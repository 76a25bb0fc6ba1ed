#pragma once

#include <cstdint>
#include <vector>

#include "platform/ui/Image.h"

namespace bench {

// A square cover with detail everywhere, so that encoders and filters have real work to do.
inline ui::ImagePtr coverPicture(int side) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(side) * side);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      auto r = static_cast<std::uint32_t>((x * 7 + y * 3) & 0xFF);
      auto g = static_cast<std::uint32_t>((x * y / 17) & 0xFF);
      auto b = static_cast<std::uint32_t>((x ^ y) & 0xFF);
      pixels[static_cast<std::size_t>(y) * side + x] = 0xFF000000u | r << 16 | g << 8 | b;
    }
  }
  return ui::Image::fromPixels(side, side, std::move(pixels));
}

}  // namespace bench
