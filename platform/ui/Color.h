#pragma once

namespace ui {

// A colour with components from 0 to 1, not premultiplied. Plain value: any thread.
struct Color {
  double red = 0;
  double green = 0;
  double blue = 0;
  double alpha = 0;

  static constexpr Color rgb(double r, double g, double b, double a = 1) { return {r, g, b, a}; }
  // Components out of 255, as the screens give them.
  static constexpr Color rgb255(double r, double g, double b, double a = 1) {
    return {r / 255.0, g / 255.0, b / 255.0, a};
  }
  static constexpr Color white(double w, double a = 1) { return {w, w, w, a}; }

  static constexpr Color clear() { return {0, 0, 0, 0}; }
  static constexpr Color black() { return {0, 0, 0, 1}; }
  static constexpr Color white() { return {1, 1, 1, 1}; }
  static constexpr Color gray() { return {0.5, 0.5, 0.5, 1}; }
  static constexpr Color lightGray() { return {2.0 / 3, 2.0 / 3, 2.0 / 3, 1}; }
  static constexpr Color darkGray() { return {1.0 / 3, 1.0 / 3, 1.0 / 3, 1}; }

  constexpr Color withAlpha(double a) const { return {red, green, blue, a}; }
  constexpr bool isClear() const { return alpha <= 0; }

  friend bool operator==(const Color&, const Color&) = default;
};

}  // namespace ui
