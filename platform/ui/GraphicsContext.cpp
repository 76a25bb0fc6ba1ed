#include "platform/ui/GraphicsContext.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/ui/Image.h"
#include "platform/ui/TextLayout.h"

namespace ui {

GraphicsContext::GraphicsContext(_cairo* cairo) : cairo_(cairo) {}

void GraphicsContext::save() {
  cairo_save(cairo_);
  saved_.push_back(pens_);
}

void GraphicsContext::restore() {
  if (saved_.empty()) return;
  cairo_restore(cairo_);
  pens_ = saved_.back();
  saved_.pop_back();
}

void GraphicsContext::translate(double x, double y) { cairo_translate(cairo_, x, y); }
void GraphicsContext::scale(double sx, double sy) { cairo_scale(cairo_, sx, sy); }
void GraphicsContext::rotate(double angle) { cairo_rotate(cairo_, angle); }

void GraphicsContext::concat(const AffineTransform& t) {
  cairo_matrix_t matrix;
  cairo_matrix_init(&matrix, t.a, t.b, t.c, t.d, t.tx, t.ty);
  cairo_transform(cairo_, &matrix);
}

void GraphicsContext::setFillColor(Color color) { pens_.fill = color; }
void GraphicsContext::setStrokeColor(Color color) { pens_.stroke = color; }
void GraphicsContext::setLineWidth(double width) { cairo_set_line_width(cairo_, width); }

void GraphicsContext::use(Color color) {
  cairo_set_source_rgba(cairo_, color.red, color.green, color.blue, color.alpha * pens_.opacity);
}

void GraphicsContext::fillRect(const Rect& rect) {
  addRect(rect);
  fillPath();
}

void GraphicsContext::strokeRect(const Rect& rect) {
  addRect(rect);
  strokePath();
}

void GraphicsContext::fillRoundedRect(const Rect& rect, double radius) {
  addRoundedRect(rect, radius);
  fillPath();
}

void GraphicsContext::strokeRoundedRect(const Rect& rect, double radius) {
  addRoundedRect(rect, radius);
  strokePath();
}

void GraphicsContext::fillEllipse(const Rect& rect) {
  if (rect.isEmpty()) return;
  addEllipse(rect);
  fillPath();
}

void GraphicsContext::strokeEllipse(const Rect& rect) {
  if (rect.isEmpty()) return;
  addEllipse(rect);
  strokePath();
}

// A unit circle drawn in a scaled space; the path keeps its shape once the scale is undone.
void GraphicsContext::addEllipse(const Rect& rect) {
  cairo_save(cairo_);
  cairo_translate(cairo_, rect.midX(), rect.midY());
  cairo_scale(cairo_, rect.width() / 2, rect.height() / 2);
  cairo_new_path(cairo_);
  cairo_arc(cairo_, 0, 0, 1, 0, 2 * std::numbers::pi);
  cairo_restore(cairo_);
}

void GraphicsContext::moveTo(Point p) { cairo_move_to(cairo_, p.x, p.y); }
void GraphicsContext::lineTo(Point p) { cairo_line_to(cairo_, p.x, p.y); }

void GraphicsContext::addArc(Point center, double radius, double startAngle, double endAngle, bool clockwise) {
  // Cairo ends the process on a non-finite angle; a slider whose range is empty computes one.
  if (!std::isfinite(startAngle) || !std::isfinite(endAngle) || !std::isfinite(radius)) return;
  // With y growing downwards, increasing angles already turn clockwise on screen.
  if (clockwise) {
    cairo_arc(cairo_, center.x, center.y, radius, startAngle, endAngle);
  } else {
    cairo_arc_negative(cairo_, center.x, center.y, radius, startAngle, endAngle);
  }
}

void GraphicsContext::addRect(const Rect& rect) {
  cairo_rectangle(cairo_, rect.minX(), rect.minY(), rect.width(), rect.height());
}

void GraphicsContext::addRoundedRect(const Rect& rect, double radius) {
  double r = std::clamp(radius, 0.0, std::min(rect.width(), rect.height()) / 2);
  if (r <= 0) {
    addRect(rect);
    return;
  }
  constexpr double pi = std::numbers::pi;
  cairo_new_sub_path(cairo_);
  cairo_arc(cairo_, rect.maxX() - r, rect.minY() + r, r, -pi / 2, 0);
  cairo_arc(cairo_, rect.maxX() - r, rect.maxY() - r, r, 0, pi / 2);
  cairo_arc(cairo_, rect.minX() + r, rect.maxY() - r, r, pi / 2, pi);
  cairo_arc(cairo_, rect.minX() + r, rect.minY() + r, r, pi, 3 * pi / 2);
  cairo_close_path(cairo_);
}

void GraphicsContext::closePath() { cairo_close_path(cairo_); }

void GraphicsContext::fillPath() {
  use(pens_.fill);
  cairo_fill(cairo_);
}

void GraphicsContext::strokePath() {
  use(pens_.stroke);
  cairo_stroke(cairo_);
}

void GraphicsContext::clipToPath() { cairo_clip(cairo_); }

void GraphicsContext::clipToRect(const Rect& rect) {
  addRect(rect);
  cairo_clip(cairo_);
}

Point GraphicsContext::currentPoint() const {
  double x = 0, y = 0;
  if (cairo_has_current_point(cairo_)) cairo_get_current_point(cairo_, &x, &y);
  return {x, y};
}

void GraphicsContext::drawImage(const Image& image, const Rect& rect, double alpha) {
  if (rect.isEmpty() || image.pixelWidth() == 0 || image.pixelHeight() == 0) return;
  // The picture's pixels are only read; the surface never writes to them.
  auto* data = const_cast<unsigned char*>(reinterpret_cast<const unsigned char*>(image.pixels().data()));
  cairo_surface_t* surface = cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32, image.pixelWidth(),
                                                                 image.pixelHeight(), image.pixelWidth() * 4);
  cairo_save(cairo_);
  cairo_rectangle(cairo_, rect.minX(), rect.minY(), rect.width(), rect.height());
  cairo_clip(cairo_);
  cairo_translate(cairo_, rect.minX(), rect.minY());
  cairo_scale(cairo_, rect.width() / image.pixelWidth(), rect.height() / image.pixelHeight());
  cairo_set_source_surface(cairo_, surface, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cairo_), CAIRO_FILTER_GOOD);
  cairo_paint_with_alpha(cairo_, alpha * pens_.opacity);
  cairo_restore(cairo_);
  cairo_surface_destroy(surface);
}

void GraphicsContext::drawText(std::string_view text, const Font& font, Color color, const Rect& rect,
                               TextAlignment alignment, LineBreakMode mode, int maxLines) {
  TextLayout layout(text, font, rect.size, mode, alignment, maxLines);
  layout.draw(*this, rect.origin, color);
}

void GraphicsContext::beginTransparencyLayer() { cairo_push_group(cairo_); }

void GraphicsContext::endTransparencyLayer(double alpha) {
  cairo_pop_group_to_source(cairo_);
  cairo_paint_with_alpha(cairo_, alpha);
}

}  // namespace ui
