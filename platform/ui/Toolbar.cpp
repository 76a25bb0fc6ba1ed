#include "platform/ui/Toolbar.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/ui/GraphicsContext.h"

namespace ui {
namespace {

constexpr double kTintAlpha = 0.6;
constexpr Color kLightTint = Color::rgb255(248, 248, 248);

// One pass of a running-sum box blur over `count` premultiplied pixels `stride` apart, with the
// edge pixels repeated beyond the ends.
void boxBlurLine(std::uint32_t* line, int count, int stride, int radius, std::vector<std::uint32_t>& scratch) {
  scratch.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) scratch[i] = line[static_cast<std::ptrdiff_t>(i) * stride];
  auto at = [&](int i) { return scratch[std::clamp(i, 0, count - 1)]; };
  const int window = 2 * radius + 1;
  std::uint32_t sums[4] = {0, 0, 0, 0};
  for (int i = -radius; i <= radius; ++i)
    for (int c = 0; c < 4; ++c) sums[c] += (at(i) >> (8 * c)) & 0xFF;
  for (int i = 0; i < count; ++i) {
    std::uint32_t pixel = 0;
    for (int c = 0; c < 4; ++c) pixel |= (sums[c] / window) << (8 * c);
    line[static_cast<std::ptrdiff_t>(i) * stride] = pixel;
    for (int c = 0; c < 4; ++c)
      sums[c] += ((at(i + radius + 1) >> (8 * c)) & 0xFF) - ((at(i - radius) >> (8 * c)) & 0xFF);
  }
}

// Three box passes each way come close to a Gaussian blur.
void blurPixels(std::vector<std::uint32_t>& pixels, int width, int height, int radius) {
  std::vector<std::uint32_t> scratch;
  for (int pass = 0; pass < 3; ++pass) {
    for (int y = 0; y < height; ++y)
      boxBlurLine(&pixels[static_cast<std::size_t>(y) * width], width, 1, radius, scratch);
    for (int x = 0; x < width; ++x) boxBlurLine(&pixels[x], height, width, radius, scratch);
  }
}

}  // namespace

Toolbar::Toolbar(const Rect& frame) : View(frame) { setBackgroundColor(Color::clear()); }

void Toolbar::setBarTintColor(std::optional<Color> color) {
  barTintColor_ = color;
  setNeedsDisplay();
}

void Toolbar::draw(GraphicsContext& context, const Rect& rect) {
  cairo_t* cr = context.native();
  cairo_surface_t* target = cairo_get_group_target(cr);
  if (cairo_surface_get_type(target) == CAIRO_SURFACE_TYPE_IMAGE &&
      cairo_image_surface_get_format(target) == CAIRO_FORMAT_ARGB32) {
    // What lies behind, in the target's pixels (the bar is never turned on screen).
    double x0 = rect.minX(), y0 = rect.minY(), x1 = rect.maxX(), y1 = rect.maxY();
    cairo_user_to_device(cr, &x0, &y0);
    cairo_user_to_device(cr, &x1, &y1);
    double offsetX = 0, offsetY = 0;
    cairo_surface_get_device_offset(target, &offsetX, &offsetY);
    const int surfaceWidth = cairo_image_surface_get_width(target);
    const int surfaceHeight = cairo_image_surface_get_height(target);
    // The surface's pixels lie at device positions plus its offset.
    const int left = std::clamp(static_cast<int>(std::floor(std::min(x0, x1) + offsetX)), 0, surfaceWidth);
    const int top = std::clamp(static_cast<int>(std::floor(std::min(y0, y1) + offsetY)), 0, surfaceHeight);
    const int right = std::clamp(static_cast<int>(std::ceil(std::max(x0, x1) + offsetX)), 0, surfaceWidth);
    const int bottom = std::clamp(static_cast<int>(std::ceil(std::max(y0, y1) + offsetY)), 0, surfaceHeight);
    const int width = right - left, height = bottom - top;
    if (width > 0 && height > 0) {
      cairo_surface_flush(target);
      const unsigned char* data = cairo_image_surface_get_data(target);
      const int stride = cairo_image_surface_get_stride(target);
      std::vector<std::uint32_t> behind(static_cast<std::size_t>(width) * height);
      for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(top + y) * stride);
        std::copy(row + left, row + right, behind.begin() + static_cast<std::ptrdiff_t>(y) * width);
      }
      const double pixelsPerPoint = std::abs(x1 - x0) / std::max(rect.width(), 1.0);
      blurPixels(behind, width, height, std::max(1, static_cast<int>(std::lround(kBlurRadius * pixelsPerPoint / 3))));
      cairo_surface_t* glass = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(behind.data()),
                                                                   CAIRO_FORMAT_ARGB32, width, height, width * 4);
      cairo_save(cr);
      cairo_identity_matrix(cr);
      cairo_set_source_surface(cr, glass, left - offsetX, top - offsetY);
      cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
      cairo_rectangle(cr, left - offsetX, top - offsetY, width, height);
      cairo_fill(cr);
      cairo_restore(cr);
      cairo_surface_destroy(glass);
    }
  }
  context.setFillColor(barTintColor_.value_or(kLightTint).withAlpha(kTintAlpha));
  context.fillRect(rect);
}

}  // namespace ui
