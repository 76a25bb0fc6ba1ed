#include "platform/foundation/DeviceInfo.h"

#include <gtest/gtest.h>
#include <sys/utsname.h>

#include "platform/foundation/Uuid.h"
#include "tests/platform/foundation/TemporaryHome.h"

namespace foundation {
namespace {

class DeviceInfoTest : public testing::TemporaryHome {
 protected:
  std::string identifierFile() { return Paths::preferencesDirectory() + "/device-identifier"; }
};

TEST_F(DeviceInfoTest, DescribesThisSystemAndApplication) {
  DeviceInfo info = DeviceInfo::current();
  utsname system{};
  ASSERT_EQ(uname(&system), 0);
  EXPECT_EQ(info.systemName, system.sysname);
  EXPECT_EQ(info.model, system.machine);
  EXPECT_EQ(info.name, system.nodename);
  ASSERT_FALSE(info.systemVersion.empty());
  EXPECT_EQ(info.systemVersion.find_first_not_of("0123456789."), std::string::npos) << info.systemVersion;
  EXPECT_EQ(std::string(system.release).rfind(info.systemVersion, 0), 0u);
  EXPECT_EQ(info.bundleName, "ZunoRadio");
  EXPECT_EQ(info.bundleVersion, "1.0");
  EXPECT_EQ(info.bundleShortVersion, "1.0");
  EXPECT_FALSE(info.bundleIdentifier.empty());
}

TEST_F(DeviceInfoTest, IdentifierIsMadeOnceAndKeptInTheHome) {
  std::string identifier = DeviceInfo::deviceIdentifier();
  EXPECT_TRUE(isUuidString(identifier)) << identifier;
  EXPECT_EQ(DeviceInfo::deviceIdentifier(), identifier);
  EXPECT_EQ(*FileManager::readTextFile(identifierFile()), identifier);

  Paths::useFreshHomeForTesting();
  std::string other = DeviceInfo::deviceIdentifier();
  EXPECT_NE(other, identifier) << "another installation, another identifier";
  (void)FileManager::removeItem(Paths::homeDirectory());
}

TEST_F(DeviceInfoTest, AStoredIdentifierIsReadAndADamagedOneReplaced) {
  std::string stored = "68753A44-4D6F-1226-9C60-0050E4C00067";
  ASSERT_TRUE(FileManager::writeAtomically(identifierFile(), stored).ok());
  EXPECT_EQ(DeviceInfo::deviceIdentifier(), stored);

  Paths::useFreshHomeForTesting();
  ASSERT_TRUE(FileManager::writeAtomically(identifierFile(), "garbage\n").ok());
  std::string replaced = DeviceInfo::deviceIdentifier();
  EXPECT_TRUE(isUuidString(replaced));
  EXPECT_EQ(*FileManager::readTextFile(identifierFile()), replaced);
  (void)FileManager::removeItem(Paths::homeDirectory());
}

}  // namespace
}  // namespace foundation
