#include "platform/foundation/UserDefaults.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>

#include "platform/foundation/DeviceInfo.h"
#include "tests/platform/foundation/TemporaryHome.h"

namespace foundation {
namespace {

class UserDefaultsTest : public testing::TemporaryHome {
 protected:
  void SetUp() override {
    TemporaryHome::SetUp();
    defaults().reloadForTesting();
  }
  void TearDown() override {
    TemporaryHome::TearDown();
    defaults().reloadForTesting();
  }
  UserDefaults& defaults() { return UserDefaults::standardUserDefaults(); }
  std::string file() { return Paths::preferencesDirectory() + "/" + DeviceInfo::current().bundleIdentifier + ".plist"; }
};

class Opaque : public Object {};

TEST_F(UserDefaultsTest, TypedReadingsOfStoredValues) {
  ASSERT_TRUE(defaults().setObject("WiFi", "userSettingForPlaying").ok());
  ASSERT_TRUE(defaults().setObject("1", "USER_SETTING_DOWNLOADOFFLINE_WIFIONLY").ok());
  ASSERT_TRUE(defaults().setObject(42, "count").ok());
  ASSERT_TRUE(defaults().setObject(2.5, "ratio").ok());
  ASSERT_TRUE(defaults().setObject(true, "flag").ok());
  ASSERT_TRUE(defaults().setObject(Bytes{1, 2, 3}, "UD_KEY_DATA_CACHE_KEYS").ok());
  ASSERT_TRUE(defaults().setObject(Dictionary{{"a", 1}}, "dict").ok());
  ASSERT_TRUE(defaults().setObject(Array{"x", 2}, "list").ok());

  EXPECT_EQ(defaults().stringForKey("userSettingForPlaying"), "WiFi");
  EXPECT_EQ(defaults().stringForKey("count"), "42");
  EXPECT_EQ(defaults().stringForKey("flag"), std::nullopt);
  EXPECT_EQ(defaults().stringForKey("missing"), std::nullopt);
  EXPECT_TRUE(defaults().boolForKey("flag"));
  EXPECT_TRUE(defaults().boolForKey("USER_SETTING_DOWNLOADOFFLINE_WIFIONLY"));
  EXPECT_FALSE(defaults().boolForKey("userSettingForPlaying"));
  EXPECT_FALSE(defaults().boolForKey("missing"));
  EXPECT_EQ(defaults().integerForKey("count"), 42);
  EXPECT_EQ(defaults().integerForKey("USER_SETTING_DOWNLOADOFFLINE_WIFIONLY"), 1);
  EXPECT_EQ(defaults().integerForKey("missing"), 0);
  EXPECT_EQ(defaults().doubleForKey("ratio"), 2.5);
  EXPECT_EQ(defaults().dataForKey("UD_KEY_DATA_CACHE_KEYS"), (Bytes{1, 2, 3}));
  EXPECT_EQ(defaults().dataForKey("count"), std::nullopt);
  EXPECT_EQ(defaults().dictionaryForKey("dict"), (Dictionary{{"a", 1}}));
  EXPECT_EQ(defaults().dictionaryForKey("list"), std::nullopt);
  EXPECT_EQ(defaults().arrayForKey("list"), (Array{"x", 2}));
  EXPECT_TRUE(defaults().objectForKey("missing").isNull());
}

TEST_F(UserDefaultsTest, RemovingAndSettingNull) {
  ASSERT_TRUE(defaults().setObject("v", "a").ok());
  ASSERT_TRUE(defaults().setObject("w", "b").ok());
  defaults().removeObjectForKey("a");
  ASSERT_TRUE(defaults().setObject(nullptr, "b").ok());
  EXPECT_TRUE(defaults().dictionaryRepresentation().empty());
}

TEST_F(UserDefaultsTest, SynchronizedValuesSurviveARestartAndOthersDoNot) {
  Dictionary user{{"uid", "1001"}, {"名字", "电台"}, {"joined", Date{1700000000}}};
  ASSERT_TRUE(defaults().setObject(user, "userIsLogin").ok());
  ASSERT_TRUE(defaults().setObject("2G/3G/4G和WiFi", "userSettingForPlaying").ok());
  ASSERT_TRUE(defaults().synchronize().ok());
  ASSERT_TRUE(defaults().setObject("not written", "late").ok());

  defaults().reloadForTesting();
  EXPECT_EQ(defaults().dictionaryForKey("userIsLogin"), user);
  EXPECT_EQ(defaults().stringForKey("userSettingForPlaying"), "2G/3G/4G和WiFi");
  EXPECT_TRUE(defaults().objectForKey("late").isNull());
  EXPECT_EQ(defaults().dictionaryRepresentation().keys(),
            (std::vector<std::string>{"userIsLogin", "userSettingForPlaying"}));
}

TEST_F(UserDefaultsTest, SettingAnUnchangedValueDoesNotRewriteTheFile) {
  const Bytes archive{0x62, 0x70, 0x6c, 0x00, 0xff};
  ASSERT_TRUE(defaults().setObject(archive, "cachedObjects").ok());
  ASSERT_TRUE(defaults().synchronize().ok());
  struct stat before {};
  ASSERT_EQ(::stat(file().c_str(), &before), 0);

  ASSERT_TRUE(defaults().setObject(archive, "cachedObjects").ok());
  ASSERT_TRUE(defaults().synchronize().ok());
  struct stat after {};
  ASSERT_EQ(::stat(file().c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);  // every write replaces the file

  ASSERT_TRUE(defaults().setObject(Bytes{0x01}, "cachedObjects").ok());
  ASSERT_TRUE(defaults().synchronize().ok());
  defaults().reloadForTesting();
  EXPECT_EQ(defaults().dataForKey("cachedObjects"), Bytes{0x01});
}

TEST_F(UserDefaultsTest, ValuesAPropertyListCannotHoldAreRefusedUpFront) {
  ASSERT_TRUE(defaults().setObject("kept", "key").ok());
  Status refused = defaults().setObject(Value(std::make_shared<Opaque>()), "key");
  ASSERT_FALSE(refused.ok());
  EXPECT_FALSE(defaults().setObject(Array{Value(), 1}, "other").ok());
  EXPECT_FALSE(defaults().setObject(std::string("\xff"), "other").ok());
  for (std::string badKey : {std::string("nul\0key", 7), std::string("\xfe")}) {
    EXPECT_FALSE(defaults().setObject("value", badKey).ok());
    EXPECT_TRUE(defaults().objectForKey(badKey).isNull());
  }
  EXPECT_EQ(defaults().stringForKey("key"), "kept");
  EXPECT_TRUE(defaults().objectForKey("other").isNull());
  EXPECT_TRUE(defaults().synchronize().ok());
}

TEST_F(UserDefaultsTest, ADamagedFileIsSetAsideAndStartUpGoesOn) {
  ASSERT_TRUE(FileManager::writeAtomically(file(), "<?xml version=\"1.0\"?><plist><dict><key>a").ok());
  defaults().reloadForTesting();
  EXPECT_TRUE(defaults().dictionaryRepresentation().empty());
  EXPECT_EQ(*FileManager::readTextFile(file() + ".corrupt"), "<?xml version=\"1.0\"?><plist><dict><key>a");
  EXPECT_FALSE(FileManager::fileExists(file()));

  ASSERT_TRUE(defaults().setObject("fresh", "k").ok());
  ASSERT_TRUE(defaults().synchronize().ok());
  defaults().reloadForTesting();
  EXPECT_EQ(defaults().stringForKey("k"), "fresh");
}

TEST_F(UserDefaultsTest, AFileThatIsNotADictionaryCountsAsDamaged) {
  ASSERT_TRUE(FileManager::writeAtomically(
                  file(), "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>x</string></array></plist>")
                  .ok());
  defaults().reloadForTesting();
  EXPECT_TRUE(defaults().dictionaryRepresentation().empty());
  EXPECT_TRUE(FileManager::fileExists(file() + ".corrupt"));
}

TEST_F(UserDefaultsTest, ACrashDuringAWriteLeavesThePreviousSettings) {
  ASSERT_TRUE(defaults().setObject("before", "k").ok());
  ASSERT_TRUE(defaults().synchronize().ok());
  // What a crash between writing and renaming leaves beside the settings file.
  ASSERT_TRUE(FileManager::writeAtomically(Paths::preferencesDirectory() + "/.zr-atomic-" +
                                               DeviceInfo::current().bundleIdentifier + ".plist-Xy12Zw",
                                           "<?xml version=\"1.0\"?><plist><dict><key>k</key><str")
                  .ok());
  defaults().reloadForTesting();
  EXPECT_EQ(defaults().stringForKey("k"), "before");
}

TEST_F(UserDefaultsTest, AFailedWriteIsReportedAndRetriedLater) {
  ASSERT_TRUE(FileManager::createDirectory(Paths::preferencesDirectory()).ok());
  ASSERT_TRUE(FileManager::createDirectory(file()).ok());  // a folder where the file should go
  ASSERT_TRUE(FileManager::writeAtomically(file() + "/inside", "x").ok());
  ASSERT_TRUE(defaults().setObject("v", "k").ok());
  EXPECT_FALSE(defaults().synchronize().ok());

  ASSERT_TRUE(FileManager::removeItem(file()).ok());
  EXPECT_TRUE(defaults().synchronize().ok()) << "the change is still waiting to be written";
  defaults().reloadForTesting();
  EXPECT_EQ(defaults().stringForKey("k"), "v");
}

TEST_F(UserDefaultsTest, ConcurrentWritersLoseNothing) {
  constexpr int kThreads = 4;
  constexpr int kKeysEach = 50;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < kKeysEach; ++i) {
        EXPECT_TRUE(defaults().setObject(i, "t" + std::to_string(t) + "-" + std::to_string(i)).ok());
        if (i % 10 == 0) {
          EXPECT_TRUE(defaults().synchronize().ok());
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  ASSERT_TRUE(defaults().synchronize().ok());
  defaults().reloadForTesting();
  EXPECT_EQ(defaults().dictionaryRepresentation().size(), static_cast<std::size_t>(kThreads * kKeysEach));
  EXPECT_EQ(defaults().integerForKey("t3-49"), 49);
}

}  // namespace
}  // namespace foundation
