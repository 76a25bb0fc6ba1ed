#include "platform/foundation/Uuid.h"

#include <gtest/gtest.h>

#include <set>

namespace foundation {
namespace {

TEST(UuidTest, NewUuidsAreUpperCaseVersionFourAndDistinct) {
  std::set<std::string> seen;
  for (int i = 0; i < 1000; ++i) {
    std::string uuid = newUuidString();
    ASSERT_TRUE(isUuidString(uuid)) << uuid;
    EXPECT_EQ(uuid.find_first_of("abcdef"), std::string::npos) << uuid;
    EXPECT_EQ(uuid[14], '4') << uuid;
    EXPECT_NE(std::string("89AB").find(uuid[19]), std::string::npos) << uuid;
    seen.insert(uuid);
  }
  EXPECT_EQ(seen.size(), 1000u);
}

TEST(UuidTest, RecognisesOnlyTheCanonicalForm) {
  EXPECT_TRUE(isUuidString("68753A44-4D6F-1226-9C60-0050E4C00067"));
  EXPECT_TRUE(isUuidString("68753a44-4d6f-1226-9c60-0050e4c00067"));
  EXPECT_FALSE(isUuidString(""));
  EXPECT_FALSE(isUuidString("68753A444D6F12269C600050E4C00067"));
  EXPECT_FALSE(isUuidString("68753A44-4D6F-1226-9C60-0050E4C0006"));
  EXPECT_FALSE(isUuidString("68753A44-4D6F-1226-9C60-0050E4C00067\n"));
  EXPECT_FALSE(isUuidString("68753A44-4D6F-1226-9C60-0050E4C0006G"));
  EXPECT_FALSE(isUuidString("68753A44-4D6F-1226-9C6000-50E4C00067"));
}

}  // namespace
}  // namespace foundation
