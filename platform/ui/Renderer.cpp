#include "platform/ui/Renderer.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

#include "platform/ui/GraphicsContext.h"
#include "platform/ui/View.h"

namespace ui {
namespace {

// A soft shadow without a blur filter: stacked rounded rects, widest first, whose alphas add
// up to the shadow's opacity in the middle and fade out over the radius.
void drawShadow(GraphicsContext& context, const Layer& layer, const Rect& shape) {
  constexpr int kSteps = 8;
  double opacity = std::clamp(layer.shadowOpacity(), 0.0, 1.0) * layer.shadowColor().alpha;
  double stepAlpha = 1 - std::pow(1 - opacity, 1.0 / kSteps);
  Rect moved = shape.offsetBy(layer.shadowOffset().width, layer.shadowOffset().height);
  context.setFillColor(layer.shadowColor().withAlpha(stepAlpha));
  for (int i = 0; i < kSteps; ++i) {
    double spread = layer.shadowRadius() * (1 - (i + 0.5) / kSteps);
    context.fillRoundedRect(moved.insetBy(-spread, -spread), layer.cornerRadius() + spread);
  }
}

void drawView(GraphicsContext& context, View& view, bool isRoot) {
  View::Presentation shown = view.presentation();
  if (view.isHidden() || shown.alpha <= 0) return;
  Rect local{0, 0, shown.bounds.width(), shown.bounds.height()};
  const Layer& layer = view.layer();
  context.save();
  if (!isRoot) {
    context.translate(shown.center.x, shown.center.y);
    context.concat(shown.transform);
    context.translate(-local.width() / 2, -local.height() / 2);
  }
  bool grouped = shown.alpha < 1;
  if (grouped) context.beginTransparencyLayer();
  if (layer.shadowOpacity() > 0 && !shown.backgroundColor.isClear()) drawShadow(context, layer, local);
  if (!shown.backgroundColor.isClear()) {
    context.setFillColor(shown.backgroundColor);
    context.fillRoundedRect(local, layer.cornerRadius());
  }
  context.save();
  if (view.clipsToBounds()) {
    context.addRoundedRect(local, layer.cornerRadius());
    context.clipToPath();
  }
  context.translate(-shown.bounds.minX(), -shown.bounds.minY());
  view.draw(context, shown.bounds);
  view.markDisplayed();
  for (const auto& subview : std::vector(view.subviews())) drawView(context, *subview, false);
  context.restore();
  if (layer.borderWidth() > 0) {
    double inset = layer.borderWidth() / 2;
    context.setStrokeColor(layer.borderColor());
    context.setLineWidth(layer.borderWidth());
    context.strokeRoundedRect(local.insetBy(inset, inset), std::max(0.0, layer.cornerRadius() - inset));
  }
  if (grouped) context.endTransparencyLayer(shown.alpha);
  context.restore();
}

}  // namespace

foundation::Result<ImagePtr> render(View& view, const RenderOptions& options) {
  view.layoutIfNeeded();
  Size size = view.presentation().bounds.size;
  int width = static_cast<int>(std::ceil(size.width * options.scale));
  int height = static_cast<int>(std::ceil(size.height * options.scale));
  if (width <= 0 || height <= 0 || !(options.scale > 0)) {
    return foundation::makeError(kImageErrorDomain, 6, "an empty view cannot be rendered");
  }
  if (static_cast<long long>(width) * height > 64LL * 1024 * 1024) {
    return foundation::makeError(kImageErrorDomain, 3, "the view is too large to render");
  }
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t* cr = cairo_create(surface);
  Color background = options.background;
  cairo_set_source_rgba(cr, background.red, background.green, background.blue, background.alpha);
  cairo_paint(cr);
  cairo_scale(cr, options.scale, options.scale);
  {
    GraphicsContext context(cr);
    drawView(context, view, true);
  }
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < height; ++y) {
    std::memcpy(pixels.data() + static_cast<std::size_t>(y) * width, data + static_cast<std::size_t>(y) * stride,
                static_cast<std::size_t>(width) * 4);
  }
  cairo_surface_destroy(surface);
  return Image::fromPixels(width, height, std::move(pixels), options.scale);
}

foundation::Status renderToPNG(View& view, const std::string& path, const RenderOptions& options) {
  auto image = render(view, options);
  if (!image.ok()) return image.error();
  auto png = image.value()->pngData();
  if (!png.ok()) return png.error();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(png->data()), static_cast<std::streamsize>(png->size()));
  out.close();
  if (!out) return foundation::posixError(errno, "write " + path);
  return foundation::Status::success();
}

}  // namespace ui
