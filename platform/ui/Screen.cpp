#include "platform/ui/Screen.h"

#include <cstdlib>

#include "platform/foundation/NoDestructor.h"

namespace ui {
namespace {

Screen& current() {
  static foundation::NoDestructor<Screen> screen;
  return *screen;
}

}  // namespace

Screen::Screen(Size size, std::string systemVersion, double scale)
    : size_(size), systemVersion_(std::move(systemVersion)), scale_(scale) {}

const Screen& Screen::main() { return current(); }

void Screen::setMain(Screen screen) { current() = std::move(screen); }

Rect Screen::applicationFrame() const {
  constexpr double kStatusBarHeight = 20;
  return {0, kStatusBarHeight, size_.width, size_.height - kStatusBarHeight};
}

double Screen::systemVersionNumber() const { return std::strtod(systemVersion_.c_str(), nullptr); }

}  // namespace ui
