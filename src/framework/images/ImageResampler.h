#pragma once

#include "platform/ui/Image.h"

namespace framework {

// Scales pictures to a new pixel size off the main thread: a separable tent filter on the
// premultiplied pixels, which is bilinear when enlarging and averages every covered pixel when
// reducing, so that small pictures made from large ones do not shimmer. Any thread.
class ImageResampler {
 public:
  // Any thread. The picture at the new size with the given scale; nullptr for sizes below 1 pixel
  // or beyond what a decoded picture may have (16384 pixels a side, 64 Mi pixels).
  static ui::ImagePtr resample(const ui::Image& image, int pixelWidth, int pixelHeight, double scale = 1);
};

}  // namespace framework
