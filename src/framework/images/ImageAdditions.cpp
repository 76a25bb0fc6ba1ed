#include "src/framework/images/ImageAdditions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/ui/Screen.h"
#include "src/framework/images/ImageResampler.h"

namespace framework::image_additions {
namespace {

// A whole number of pixels for a length in points; lengths that are not finite have none.
int pixelsFor(double points) {
  if (!std::isfinite(points) || points < 0.5) return 0;
  return static_cast<int>(std::min(std::lround(points), 1L << 20));
}

// Where the output pixel (x, y) of an upright picture is found in the stored w x h pixels.
struct SourcePoint {
  int x;
  int y;
};
SourcePoint sourceOf(ImageOrientation orientation, int x, int y, int w, int h) {
  switch (orientation) {
    case ImageOrientation::Up:
      return {x, y};
    case ImageOrientation::Down:
      return {w - 1 - x, h - 1 - y};
    case ImageOrientation::Left:
      return {w - 1 - y, x};
    case ImageOrientation::Right:
      return {y, h - 1 - x};
    case ImageOrientation::UpMirrored:
      return {w - 1 - x, y};
    case ImageOrientation::DownMirrored:
      return {x, h - 1 - y};
    case ImageOrientation::LeftMirrored:
      return {y, x};
    case ImageOrientation::RightMirrored:
      return {w - 1 - y, h - 1 - x};
  }
  return {x, y};
}

bool isValid(ImageOrientation orientation) {
  auto value = static_cast<int>(orientation);
  return value >= static_cast<int>(ImageOrientation::Up) && value <= static_cast<int>(ImageOrientation::RightMirrored);
}

bool swapsSides(ImageOrientation orientation) {
  return orientation == ImageOrientation::Left || orientation == ImageOrientation::Right ||
         orientation == ImageOrientation::LeftMirrored || orientation == ImageOrientation::RightMirrored;
}

}  // namespace

ui::Size fitSize(ui::Size size, ui::Size box) {
  if (size.width < box.width && size.height < box.height) return size;
  if (!(size.width > 0 && size.height > 0)) return size;
  double scale = std::min(box.width / size.width, box.height / size.height);
  return {size.width * scale, size.height * scale};
}

ui::ImagePtr imageFitInSize(const ui::Image& image, ui::Size box) {
  ui::Size fitted = fitSize(image.size(), box);
  return ImageResampler::resample(image, pixelsFor(fitted.width), pixelsFor(fitted.height));
}

ui::ImagePtr imageScaleToFillInSize(const ui::Image& image, ui::Size size) {
  return ImageResampler::resample(image, pixelsFor(size.width), pixelsFor(size.height));
}

ui::ImagePtr imageCroppedWithRect(const ui::Image& image, const ui::Rect& rect) {
  double scale = ui::Screen::main().scale();
  ui::Rect pixels =
      scale > 1 ? ui::Rect{rect.minX() * scale, rect.minY() * scale, rect.width() * scale, rect.height() * scale}
                : rect;
  ui::Rect whole{0, 0, static_cast<double>(image.pixelWidth()), static_cast<double>(image.pixelHeight())};
  ui::Rect inside = pixels.intersection(whole);
  if (inside.isEmpty()) return nullptr;
  // Whole pixels covering the rectangle, as a bitmap is cut.
  int left = static_cast<int>(std::floor(inside.minX()));
  int top = static_cast<int>(std::floor(inside.minY()));
  int width = static_cast<int>(std::ceil(inside.maxX())) - left;
  int height = static_cast<int>(std::ceil(inside.maxY())) - top;
  std::vector<std::uint32_t> cut;
  cut.reserve(static_cast<std::size_t>(width) * height);
  for (int y = top; y < top + height; ++y)
    for (int x = left; x < left + width; ++x) cut.push_back(image.pixelAt(x, y));
  return ui::Image::fromPixels(width, height, std::move(cut));
}

foundation::Result<ui::ImagePtr> imageRotatedToCorrectOrientation(const ui::Image& image,
                                                                  ImageOrientation orientation) {
  if (!isValid(orientation))
    return foundation::makeError(kImageAdditionsErrorDomain, kInvalidOrientationError, "Invalid image orientation");
  const int w = image.pixelWidth();
  const int h = image.pixelHeight();
  const int outWidth = swapsSides(orientation) ? h : w;
  const int outHeight = swapsSides(orientation) ? w : h;
  std::vector<std::uint32_t> pixels;
  pixels.reserve(static_cast<std::size_t>(outWidth) * outHeight);
  for (int y = 0; y < outHeight; ++y) {
    for (int x = 0; x < outWidth; ++x) {
      SourcePoint from = sourceOf(orientation, x, y, w, h);
      pixels.push_back(image.pixelAt(from.x, from.y));
    }
  }
  return ui::Image::fromPixels(outWidth, outHeight, std::move(pixels), image.scale());
}

}  // namespace framework::image_additions
