#include "platform/ui/Renderer.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
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

bool paints(const View& view, const View::Presentation& shown) { return !view.isHidden() && shown.alpha > 0; }

// Cairo paints any alpha from this one up as fully opaque; the renderer does the same.
bool opaqueEnough(double alpha) { return alpha >= 65280.0 / 65535.0; }

// Where the view paints in its own coordinates (0,0 at its top-left corner): its box, its shadow
// and, unless it clips them, its subviews.
Rect paintedExtent(const View& view, const View::Presentation& shown) {
  Rect local{0, 0, shown.bounds.width(), shown.bounds.height()};
  Rect extent = local;
  const Layer& layer = view.layer();
  if (layer.shadowOpacity() > 0 && !shown.backgroundColor.isClear()) {
    double spread = layer.shadowRadius();
    extent = extent.unionWith(
        local.offsetBy(layer.shadowOffset().width, layer.shadowOffset().height).insetBy(-spread, -spread));
  }
  if (view.clipsToBounds()) return extent;
  for (const auto& subview : view.subviews()) {
    View::Presentation inner = subview->presentation();
    if (!paints(*subview, inner)) continue;
    Rect child = paintedExtent(*subview, inner).offsetBy(-inner.bounds.width() / 2, -inner.bounds.height() / 2);
    child = inner.transform.apply(child).offsetBy(inner.center.x, inner.center.y);
    extent = extent.unionWith(child.offsetBy(-shown.bounds.minX(), -shown.bounds.minY()));
  }
  return extent;
}

// Where the subview paints in its superview's bounds coordinates.
Rect extentInSuperview(const View& view, const View::Presentation& shown) {
  Rect extent = paintedExtent(view, shown).offsetBy(-shown.bounds.width() / 2, -shown.bounds.height() / 2);
  return shown.transform.apply(extent).offsetBy(shown.center.x, shown.center.y);
}

int ownLayers(const View& view, const View::Presentation& shown) {
  const Layer& layer = view.layer();
  bool filled = !shown.backgroundColor.isClear();
  int layers = (filled ? 1 : 0) + (filled && layer.shadowOpacity() > 0 ? 1 : 0) + (layer.borderWidth() > 0 ? 1 : 0);
  switch (view.drawnContent()) {
    case View::DrawnContent::Nothing:
      return layers;
    case View::DrawnContent::OneLayer:
      return layers + 1;
    case View::DrawnContent::Overlapping:
      return layers + 2;
  }
  return layers + 2;
}

// Whether fading the view needs an offscreen layer: only where two of its marks overlap would
// painting each with the alpha differ from painting them all and then fading the whole.
bool needsLayerToFade(const View& view, const View::Presentation& shown) {
  std::vector<Rect> children;
  for (const auto& subview : view.subviews()) {
    View::Presentation inner = subview->presentation();
    if (paints(*subview, inner)) children.push_back(extentInSuperview(*subview, inner));
  }
  int own = ownLayers(view, shown);
  if (own > 1 || (own == 1 && !children.empty())) return true;
  for (std::size_t i = 0; i < children.size(); ++i) {
    for (std::size_t j = i + 1; j < children.size(); ++j) {
      if (children[i].intersects(children[j])) return true;
    }
  }
  return false;
}

// `fade` is the alpha the view's ancestors left to their descendants rather than painting them
// through a layer of their own.
void drawView(GraphicsContext& context, View& view, bool isRoot, double fade) {
  View::Presentation shown = view.presentation();
  if (!paints(view, shown)) return;
  Rect local{0, 0, shown.bounds.width(), shown.bounds.height()};
  const Layer& layer = view.layer();
  context.save();
  if (!isRoot) {
    context.translate(shown.center.x, shown.center.y);
    context.concat(shown.transform);
    context.translate(-local.width() / 2, -local.height() / 2);
  }
  double alpha = opaqueEnough(fade * shown.alpha) ? 1 : fade * shown.alpha;
  bool grouped = alpha < 1 && needsLayerToFade(view, shown);
  if (grouped) {
    // The layer is as large as the clip; a little room keeps antialiased edges.
    constexpr double kEdge = 2;
    context.clipToRect(paintedExtent(view, shown).insetBy(-kEdge, -kEdge));
    context.beginTransparencyLayer();
  }
  context.setOpacity(grouped ? 1 : alpha);
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
  for (const auto& subview : std::vector(view.subviews())) drawView(context, *subview, false, grouped ? 1 : alpha);
  context.restore();
  if (layer.borderWidth() > 0) {
    double inset = layer.borderWidth() / 2;
    context.setStrokeColor(layer.borderColor());
    context.setLineWidth(layer.borderWidth());
    context.strokeRoundedRect(local.insetBy(inset, inset), std::max(0.0, layer.cornerRadius() - inset));
  }
  if (grouped) context.endTransparencyLayer(alpha);
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
  // Drawn straight into the picture's pixels: the surface's rows are exactly 4 bytes per pixel.
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  cairo_surface_t* surface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels.data()),
                                                                 CAIRO_FORMAT_ARGB32, width, height, width * 4);
  cairo_t* cr = cairo_create(surface);
  Color background = options.background;
  cairo_set_source_rgba(cr, background.red, background.green, background.blue, background.alpha);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_scale(cr, options.scale, options.scale);
  {
    GraphicsContext context(cr);
    drawView(context, view, true, 1);
  }
  cairo_destroy(cr);
  cairo_surface_flush(surface);
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
