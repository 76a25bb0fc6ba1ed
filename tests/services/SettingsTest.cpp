#include <gtest/gtest.h>

#include "platform/ui/Renderer.h"
#include "src/framework/cache/DataCacheManager.h"
#include "src/services/settings/SettingViewController.h"
#include "tests/services/ServicesFixture.h"

namespace services {
namespace {

class SettingsTest : public testing::ServicesFixture {
 protected:
  void TearDown() override {
    SettingViewController::setSleepTimerText(nullptr);
    ServicesFixture::TearDown();
  }
};

TEST_F(SettingsTest, DefaultRowsHideTheirDescriptionExceptACountingSleepTimer) {
  SettingViewController settings;
  auto row = SettingViewDefaultCell::loadFromXib();
  ASSERT_NE(row, nullptr);
  row->settingDecription().setText("stale");
  settings.loadCellDefaultStyle(*row);
  EXPECT_TRUE(row->settingDecription().isHidden());
  EXPECT_EQ(row->settingDecription().text(), "");
  EXPECT_TRUE(row->netStatusChangeSwitch().isHidden());
  EXPECT_TRUE(row->showsDisclosureIndicator());

  std::optional<std::string> remaining = "12:30";
  SettingViewController::setSleepTimerText([&] { return remaining; });
  row->setTag(SettingViewController::kSleepTimerRowTag);
  settings.loadCellDefaultStyle(*row);
  EXPECT_FALSE(row->settingDecription().isHidden());
  EXPECT_EQ(row->settingDecription().text(), "12:30");
  remaining.reset();
  settings.loadCellDefaultStyle(*row);
  EXPECT_TRUE(row->settingDecription().isHidden());

  // The arrow is drawn at the row's end while it is shown.
  auto arrowPixels = [&] {
    foundation::Result<ui::ImagePtr> picture = ui::render(*row);
    if (!picture.ok()) return -1;
    const ui::Image& image = **picture;
    int drawn = 0;
    for (int y = 12; y < 32; ++y)
      for (int x = 294; x < 310; ++x) drawn += (image.pixels()[y * image.pixelWidth() + x] & 0xffffffu) != 0xffffffu;
    return drawn;
  };
  EXPECT_GT(arrowPixels(), 10);
  row->setShowsDisclosureIndicator(false);
  EXPECT_EQ(arrowPixels(), 0);
}

TEST_F(SettingsTest, TheNetworkSwitchStoresThePlaybackChoice) {
  SettingViewController settings;
  ui::Switch netSwitch;
  netSwitch.setOn(true);
  settings.handleNetStatusChangeSwitchEvent(netSwitch);
  auto& cache = framework::DataCacheManager::sharedManager();
  EXPECT_EQ(cache.getCachedObjectByKey(framework::kUserSettingForPlayingCacheKey).toString(), "2G/3G/4G和WiFi");
  netSwitch.setOn(false);
  settings.handleNetStatusChangeSwitchEvent(netSwitch);
  EXPECT_EQ(cache.getCachedObjectByKey(framework::kUserSettingForPlayingCacheKey).toString(), "WiFi");
}

}  // namespace
}  // namespace services
