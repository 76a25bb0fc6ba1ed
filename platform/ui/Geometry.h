#pragma once

#include <cmath>

namespace ui {

// Geometry in points, y growing downwards as on the phone's screen. Plain values: any thread.

struct Point {
  double x = 0;
  double y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  double width = 0;
  double height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  Point origin;
  Size size;

  constexpr Rect() = default;
  constexpr Rect(Point o, Size s) : origin(o), size(s) {}
  constexpr Rect(double x, double y, double width, double height) : origin{x, y}, size{width, height} {}

  double minX() const { return origin.x; }
  double minY() const { return origin.y; }
  double maxX() const { return origin.x + size.width; }
  double maxY() const { return origin.y + size.height; }
  double midX() const { return origin.x + size.width / 2; }
  double midY() const { return origin.y + size.height / 2; }
  double width() const { return size.width; }
  double height() const { return size.height; }
  Point center() const { return {midX(), midY()}; }
  bool isEmpty() const { return size.width <= 0 || size.height <= 0; }

  // Edges count as inside on the top and left only, so that tiled rects never share a point.
  bool contains(Point p) const { return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY(); }
  bool intersects(const Rect& other) const;
  // The common part; an empty rect at the origin when there is none.
  Rect intersection(const Rect& other) const;
  // The smallest rect holding both.
  Rect unionWith(const Rect& other) const;
  Rect offsetBy(double dx, double dy) const { return {origin.x + dx, origin.y + dy, size.width, size.height}; }
  Rect insetBy(double dx, double dy) const {
    return {origin.x + dx, origin.y + dy, size.width - 2 * dx, size.height - 2 * dy};
  }

  friend bool operator==(const Rect&, const Rect&) = default;
};

struct EdgeInsets {
  double top = 0;
  double left = 0;
  double bottom = 0;
  double right = 0;
  friend bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

// The rect less the insets on each side.
Rect insetRect(const Rect& rect, const EdgeInsets& insets);

// A 2D affine transform: x' = a x + c y + tx, y' = b x + d y + ty.
struct AffineTransform {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

  static AffineTransform identity() { return {}; }
  static AffineTransform scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
  static AffineTransform scale(double s) { return scale(s, s); }
  // Positive angles (radians) turn clockwise on screen.
  static AffineTransform rotation(double angle) {
    return {std::cos(angle), std::sin(angle), -std::sin(angle), std::cos(angle), 0, 0};
  }
  static AffineTransform translation(double x, double y) { return {1, 0, 0, 1, x, y}; }

  bool isIdentity() const { return *this == AffineTransform{}; }
  // This transform followed by `then`.
  AffineTransform concat(const AffineTransform& then) const;
  // The transform that undoes this one; identity when this one cannot be undone.
  AffineTransform inverted() const;
  Point apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
  // The bounding box of the transformed rect.
  Rect apply(const Rect& r) const;

  friend bool operator==(const AffineTransform&, const AffineTransform&) = default;
};

}  // namespace ui
