#include "platform/foundation/Locale.h"

#include <gtest/gtest.h>

#include "tests/platform/foundation/TemporaryHome.h"

namespace foundation {
namespace {

using testing::ScopedEnvironment;

TEST(LocaleTest, IdentifiersAndTheirParts) {
  EXPECT_EQ(Locale("zh_CN").languageCode(), "zh");
  EXPECT_EQ(Locale("zh_CN").countryCode(), "CN");
  EXPECT_EQ(Locale("zh-CN").identifier(), "zh_CN");
  EXPECT_EQ(Locale("zh_CN.UTF-8").identifier(), "zh_CN");
  EXPECT_EQ(Locale("en_US_POSIX").languageCode(), "en");
  EXPECT_EQ(Locale("en_US_POSIX").countryCode(), "US");
  EXPECT_EQ(Locale("zh_Hans_CN").countryCode(), "CN");
  EXPECT_EQ(Locale("fr").countryCode(), "");
  EXPECT_EQ(Locale("C").identifier(), "en_US");
}

TEST(LocaleTest, CurrentLocaleFromTheOverrideThenTheEnvironment) {
  ScopedEnvironment all("LC_ALL", std::nullopt);
  ScopedEnvironment time("LC_TIME", std::nullopt);
  {
    ScopedEnvironment lang("LANG", "zh_CN.UTF-8");
    EXPECT_EQ(Locale::current().identifier(), "zh_CN");
    Locale::setCurrentForTesting(Locale("en_US_POSIX"));
    EXPECT_EQ(Locale::current().identifier(), "en_US_POSIX");
    Locale::setCurrentForTesting(std::nullopt);
    ScopedEnvironment overriding("LC_TIME", "en_GB.UTF-8");
    EXPECT_EQ(Locale::current().identifier(), "en_GB");
  }
  ScopedEnvironment lang("LANG", std::nullopt);
  EXPECT_EQ(Locale::current().identifier(), "en_US");
}

}  // namespace
}  // namespace foundation
