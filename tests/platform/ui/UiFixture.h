#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/ui/Animator.h"
#include "platform/ui/Application.h"
#include "platform/ui/Device.h"
#include "platform/ui/Image.h"
#include "platform/ui/Screen.h"
#include "tests/support/ManualClockFixture.h"

namespace uitest {

// A test on the manual clock with a fresh 320 x 568 screen and no windows. Whatever animations a
// test leaves running are run to their end before the real clock comes back.
class UiFixture : public testsupport::ManualClockFixture {
 protected:
  void SetUp() override {
    ManualClockFixture::SetUp();
    ui::Screen::setMain(ui::Screen());
    ui::Application::shared().resetForTesting();
    ui::Device::current().resetForTesting();
  }
  void TearDown() override {
    step(600);
    ui::Application::shared().resetForTesting();
    ui::Device::current().resetForTesting();
    ManualClockFixture::TearDown();
  }

  void step(double seconds) { clock->advance(foundation::Duration(seconds)); }

  // Where rendered pictures go for people to look at: a folder in the build tree.
  static std::string renderedPath(const std::string& name) {
    std::filesystem::create_directories("rendered");
    return "rendered/" + name + ".png";
  }
};

struct Rgba {
  int red, green, blue, alpha;
};

// The colour of a rendered pixel, undoing premultiplication.
inline Rgba rgbaAt(const ui::Image& image, int x, int y) {
  std::uint32_t p = image.pixelAt(x, y);
  int a = static_cast<int>(p >> 24);
  auto channel = [&](int shift) {
    int premultiplied = static_cast<int>((p >> shift) & 0xFF);
    return a == 0 ? 0 : premultiplied * 255 / a;
  };
  return {channel(16), channel(8), channel(0), a};
}

}  // namespace uitest
