#include "platform/ui/Geometry.h"

#include <algorithm>

namespace ui {

bool Rect::intersects(const Rect& other) const {
  return !isEmpty() && !other.isEmpty() && minX() < other.maxX() && other.minX() < maxX() && minY() < other.maxY() &&
         other.minY() < maxY();
}

Rect Rect::intersection(const Rect& other) const {
  if (!intersects(other)) return {};
  double x0 = std::max(minX(), other.minX());
  double y0 = std::max(minY(), other.minY());
  double x1 = std::min(maxX(), other.maxX());
  double y1 = std::min(maxY(), other.maxY());
  return {x0, y0, x1 - x0, y1 - y0};
}

Rect Rect::unionWith(const Rect& other) const {
  if (isEmpty()) return other;
  if (other.isEmpty()) return *this;
  double x0 = std::min(minX(), other.minX());
  double y0 = std::min(minY(), other.minY());
  double x1 = std::max(maxX(), other.maxX());
  double y1 = std::max(maxY(), other.maxY());
  return {x0, y0, x1 - x0, y1 - y0};
}

Rect insetRect(const Rect& rect, const EdgeInsets& insets) {
  return {rect.minX() + insets.left, rect.minY() + insets.top, rect.width() - insets.left - insets.right,
          rect.height() - insets.top - insets.bottom};
}

AffineTransform AffineTransform::concat(const AffineTransform& t) const {
  return {a * t.a + b * t.c, a * t.b + b * t.d,          c * t.a + d * t.c,
          c * t.b + d * t.d, tx * t.a + ty * t.c + t.tx, tx * t.b + ty * t.d + t.ty};
}

AffineTransform AffineTransform::inverted() const {
  double det = a * d - b * c;
  if (det == 0) return identity();
  return {d / det, -b / det, -c / det, a / det, (c * ty - d * tx) / det, (b * tx - a * ty) / det};
}

Rect AffineTransform::apply(const Rect& r) const {
  Point corners[] = {apply(Point{r.minX(), r.minY()}), apply(Point{r.maxX(), r.minY()}),
                     apply(Point{r.minX(), r.maxY()}), apply(Point{r.maxX(), r.maxY()})};
  double x0 = corners[0].x, x1 = corners[0].x, y0 = corners[0].y, y1 = corners[0].y;
  for (const Point& p : corners) {
    x0 = std::min(x0, p.x);
    x1 = std::max(x1, p.x);
    y0 = std::min(y0, p.y);
    y1 = std::max(y1, p.y);
  }
  return {x0, y0, x1 - x0, y1 - y0};
}

}  // namespace ui
