#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/ProxySettings.h"
#include "platform/ui/Image.h"
#include "src/framework/images/QRVImageCacheManager.h"
#include "tests/platform/ui/UiFixture.h"
#include "tests/support/LoopbackServer.h"

namespace imagetest {

// The colour (0xRRGGBB) at the middle of the picture; 0x1000000 for none.
inline std::uint32_t colourOf(const ui::ImagePtr& image) {
  if (!image) return 0x1000000;
  return image->pixelAt(image->pixelWidth() / 2, image->pixelHeight() / 2) & 0xFFFFFF;
}

// A UI test with a fresh application home and a fresh image cache manager, and pictures to serve.
class ImageCacheFixture : public uitest::UiFixture {
 protected:
  void SetUp() override {
    UiFixture::SetUp();
    home = foundation::Paths::useFreshHomeForTesting();
    net::ProxySettings::setSystemForTesting(net::ProxySettings());  // loopback only, whatever the environment says
    framework::QRVImageCacheManager::resetSharedManagerForTesting();
  }
  void TearDown() override {
    framework::QRVImageCacheManager::resetSharedManagerForTesting();
    foundation::RunLoop::main().pumpOnce();  // deliveries posted by the last fetches
    net::ProxySettings::setSystemForTesting(std::nullopt);
    UiFixture::TearDown();
  }

  static framework::QRVImageCacheManager& manager() { return framework::QRVImageCacheManager::sharedManager(); }

  // Runs the main loop until the condition holds (at most 30 s of real time).
  static bool runUntil(const std::function<bool()>& condition) {
    return foundation::RunLoop::main().runUntil(condition, foundation::Duration(30));
  }
  // Blocks until the manager's queue is empty, without running the main loop.
  static void waitForFetches() { manager().imageQueue().waitUntilAllOperationsAreFinished(); }

  // A solid opaque picture of the given colour (0xRRGGBB) and its encodings.
  static ui::ImagePtr solid(std::uint32_t rgb, int width = 4, int height = 4) {
    return ui::Image::fromPixels(
        width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, 0xFF000000u | rgb));
  }
  static std::string png(std::uint32_t rgb) { return asText(solid(rgb)->pngData().value()); }
  static std::string jpeg(std::uint32_t rgb, int side = 16) {
    return asText(solid(rgb, side, side)->jpegData(0.9).value());
  }
  static std::string asText(const foundation::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

  static testsupport::Reply picture(std::string bytes, const std::string& type = "image/png") {
    testsupport::Reply reply;
    reply.body = std::move(bytes);
    reply.header("Content-Type", type);
    return reply;
  }

  std::string home;
};

}  // namespace imagetest
