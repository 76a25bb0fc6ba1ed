#include "src/framework/images/ImageQRVAdditions.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "src/framework/images/ImageAdditions.h"
#include "src/framework/images/ImageResampler.h"

namespace framework::image_qrv_additions {
namespace {

int pixelsFor(double points) {
  if (!std::isfinite(points) || points < 0.5) return 0;
  return static_cast<int>(std::min(std::lround(points), 1L << 20));
}

}  // namespace

ui::ImagePtr scaleToSize(ui::Size size, const ui::Image& image) {
  return image_additions::imageScaleToFillInSize(image, size);
}

ui::ImagePtr clipImage(const ui::Image& image, ui::Size size) {
  const int width = pixelsFor(size.width);
  const int height = pixelsFor(size.height);
  if (width == 0 || height == 0 || image.pixelWidth() == 0 || image.pixelHeight() == 0) return nullptr;
  const float sx = static_cast<float>(size.width / image.size().width);
  const float sy = static_cast<float>(size.height / image.size().height);
  const float scale = sx >= sy ? sx : sy;
  auto scaled = ImageResampler::resample(image, std::max(width, pixelsFor(scale * image.size().width)),
                                         std::max(height, pixelsFor(scale * image.size().height)));
  if (!scaled) return nullptr;
  // What lies outside the centred frame is cut off.
  const int left = (scaled->pixelWidth() - width) / 2;
  const int top = (scaled->pixelHeight() - height) / 2;
  std::vector<std::uint32_t> pixels;
  pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels.push_back(scaled->pixelAt(left + x, top + y));
  return ui::Image::fromPixels(width, height, std::move(pixels));
}

}  // namespace framework::image_qrv_additions
