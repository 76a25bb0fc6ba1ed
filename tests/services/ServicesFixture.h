#pragma once

#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "src/framework/cache/DataCacheManager.h"
#include "src/services/shell/AppDelegate.h"
#include "tests/platform/ui/UiFixture.h"

namespace services::testing {

// A fresh home, data cache, application delegate and screen per test, on the manual clock.
class ServicesFixture : public uitest::UiFixture {
 protected:
  void SetUp() override {
    UiFixture::SetUp();
    foundation::Paths::useFreshHomeForTesting();
    foundation::UserDefaults::standardUserDefaults().reloadForTesting();
    framework::DataCacheManager::resetSharedManagerForTesting();
    AppDelegate::resetForTesting();
  }
  void TearDown() override {
    AppDelegate::resetForTesting();
    framework::DataCacheManager::resetSharedManagerForTesting();
    UiFixture::TearDown();
  }
};

}  // namespace services::testing
