#include <gtest/gtest.h>

#include "platform/foundation/DeviceInfo.h"
#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Application.h"
#include "src/framework/cache/DataCacheManager.h"
#include "src/framework/cache/DataEnvironment.h"
#include "src/framework/model/QRVModel.h"

namespace framework {
namespace {

using foundation::Dictionary;
using foundation::Value;

class AccountModel final : public QRVModel<AccountModel> {
 public:
  static constexpr const char* kClassName = "TestCacheAccountModel";
  static const QRVModelProperties<AccountModel>& properties() {
    static const auto table = QRVModelProperties<AccountModel>().text("luid", &AccountModel::luid_);
    return table;
  }
  QRV_TEXT_PROPERTY(luid, Luid)
};

class DataCacheManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::Paths::useFreshHomeForTesting();
    restart();
  }
  void TearDown() override { DataCacheManager::resetSharedManagerForTesting(); }

  // As after the application left memory and started again.
  static void restart() {
    foundation::UserDefaults::standardUserDefaults().reloadForTesting();
    DataCacheManager::resetSharedManagerForTesting();
  }
  static DataCacheManager& cache() { return DataCacheManager::sharedManager(); }

  static std::shared_ptr<AccountModel> account(const char* luid) {
    return AccountModel::initWithDataDic(Dictionary{{"luid", luid}});
  }
};

TEST_F(DataCacheManagerTest, PersistentEntriesSurviveARestartAndMemoryEntriesDoNot) {
  ASSERT_TRUE(cache().addObject(Value(account("L-1")), kUserIsLoginCacheKey).ok());
  ASSERT_TRUE(cache().addObject("WiFi", kUserSettingForPlayingCacheKey).ok());
  ASSERT_TRUE(cache().addObjectToMemory("transient", "reply").ok());
  restart();
  auto user = cache().getCachedObjectByKey(kUserIsLoginCacheKey).objectAs<AccountModel>();
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(user->luid(), "L-1");
  EXPECT_EQ(cache().getCachedObjectByKey(kUserSettingForPlayingCacheKey), Value("WiFi"));
  EXPECT_FALSE(cache().hasObjectInCacheByKey("reply"));
}

TEST_F(DataCacheManagerTest, PersistsKeysInTheOrderTheyWereAdded) {
  ASSERT_TRUE(cache().addObject("1", "b").ok());
  ASSERT_TRUE(cache().addObject("2", "a").ok());
  ASSERT_TRUE(cache().addObject("3", "b").ok());
  auto data = foundation::UserDefaults::standardUserDefaults().dataForKey(kDataCacheKeysDefaultsKey);
  ASSERT_TRUE(data.has_value());
  auto keys = foundation::KeyedArchive::unarchiveObject(*data);
  ASSERT_TRUE(keys.ok());
  EXPECT_EQ(*keys, Value(foundation::Array{"a", "b"}));
  EXPECT_EQ(cache().getCachedObjectByKey("b"), Value("3"));
}

TEST_F(DataCacheManagerTest, AKeyMovesBetweenTheParts) {
  ASSERT_TRUE(cache().addObjectToMemory("in memory", "k").ok());
  ASSERT_TRUE(cache().addObject("persisted", "k").ok());
  cache().clearMemoryCache();
  EXPECT_EQ(cache().getCachedObjectByKey("k"), Value("persisted")) << "the memory entry was replaced, not shadowing";

  ASSERT_TRUE(cache().addObjectToMemory("back in memory", "k").ok());
  EXPECT_EQ(cache().getCachedObjectByKey("k"), Value("back in memory"));
  restart();
  EXPECT_FALSE(cache().hasObjectInCacheByKey("k")) << "the persistent entry was removed and saved";
}

TEST_F(DataCacheManagerTest, MemoryWarningAndBackgroundDropOnlyTheMemoryPart) {
  auto& application = ui::Application::shared();
  for (auto event : {&ui::Application::didReceiveMemoryWarning, &ui::Application::didEnterBackground}) {
    ASSERT_TRUE(cache().addObject("kept", "setting").ok());
    ASSERT_TRUE(cache().addObjectToMemory("dropped", "reply").ok());
    (application.*event)();
    EXPECT_EQ(cache().getCachedObjectByKey("setting"), Value("kept"));
    EXPECT_FALSE(cache().hasObjectInCacheByKey("reply"));
  }
  ASSERT_TRUE(cache().addObjectToMemory("stays", "reply").ok());
  application.willEnterForeground();
  EXPECT_TRUE(cache().hasObjectInCacheByKey("reply"));

  // A device that cannot multitask never hears of the background.
  foundation::DeviceInfo info = foundation::DeviceInfo::current();
  info.multitaskingSupported = false;
  foundation::DeviceInfo::setCurrentForTesting(info);
  DataCacheManager::resetSharedManagerForTesting();
  ASSERT_TRUE(cache().addObjectToMemory("stays", "reply").ok());
  application.didEnterBackground();
  EXPECT_TRUE(cache().hasObjectInCacheByKey("reply"));
  foundation::DeviceInfo::setCurrentForTesting(std::nullopt);
}

TEST_F(DataCacheManagerTest, RefusesAnEmptyKeyAndIgnoresNullObjects) {
  for (const auto& refused : {cache().addObject("x", ""), cache().addObjectToMemory("x", "")}) {
    ASSERT_FALSE(refused.ok()) << "nothing was stored";
    EXPECT_TRUE(refused.error()->is(kDataCacheErrorDomain, kDataCacheInvalidKeyError));
  }
  EXPECT_TRUE(cache().addObject(Value(), "k").ok());
  EXPECT_FALSE(cache().hasObjectInCacheByKey(""));
  EXPECT_FALSE(cache().hasObjectInCacheByKey("k"));
  EXPECT_TRUE(cache().getCachedObjectByKey("").isNull());
  EXPECT_FALSE(DataCacheManager::isValidKey(""));
}

TEST_F(DataCacheManagerTest, RefusesAnUnarchivableObjectAndKeepsWhatWasThere) {
  ASSERT_TRUE(cache().addObject("old", "k").ok());
  auto refused = cache().addObject(Value(std::make_shared<foundation::Object>()), "k");
  EXPECT_FALSE(refused.ok());
  EXPECT_EQ(cache().getCachedObjectByKey("k"), Value("old"));
  ASSERT_TRUE(cache().addObject("next", "other").ok()) << "later saves still work";
  restart();
  EXPECT_EQ(cache().getCachedObjectByKey("k"), Value("old"));
  EXPECT_EQ(cache().getCachedObjectByKey("other"), Value("next"));
}

TEST_F(DataCacheManagerTest, AFailedSaveKeepsThePreviousValueAndNoRefusedKey) {
  ASSERT_TRUE(cache().addObject("old", "k").ok());
  const std::string badKey("k\xff", 2);  // not UTF-8: the store cannot write it
  ASSERT_FALSE(cache().addObject("new", badKey).ok());
  EXPECT_FALSE(cache().hasObjectInCacheByKey(badKey));
  ASSERT_TRUE(cache().addObject("newer", "k").ok()) << "later saves still work";
  restart();
  EXPECT_EQ(cache().getCachedObjectByKey("k"), Value("newer"));
}

TEST_F(DataCacheManagerTest, UnreadableStoredArchiveStartsEmptyAndCanBeWrittenAgain) {
  auto& defaults = foundation::UserDefaults::standardUserDefaults();
  ASSERT_TRUE(defaults.setObject(foundation::Bytes{'n', 'o', 't'}, kDataCacheObjectsDefaultsKey).ok());
  ASSERT_TRUE(defaults.setObject("not data either", kDataCacheKeysDefaultsKey).ok());
  ASSERT_TRUE(defaults.synchronize().ok());
  restart();
  EXPECT_FALSE(cache().hasObjectInCacheByKey(kUserIsLoginCacheKey));
  ASSERT_TRUE(cache().addObject("1", kUserSettingDownloadOfflineWifiOnlyCacheKey).ok());
  restart();
  EXPECT_EQ(cache().getCachedObjectByKey(kUserSettingDownloadOfflineWifiOnlyCacheKey), Value("1"));
}

TEST_F(DataCacheManagerTest, ClearingEverythingIsSaved) {
  ASSERT_TRUE(cache().addObject("a", "p").ok());
  ASSERT_TRUE(cache().addObjectToMemory("b", "m").ok());
  ASSERT_TRUE(DataEnvironment::sharedDataEnvironment().clearNetworkData().ok());
  EXPECT_FALSE(cache().hasObjectInCacheByKey("m"));
  restart();
  EXPECT_FALSE(cache().hasObjectInCacheByKey("p"));
  ASSERT_TRUE(cache().addObject("c", "p").ok());
  ASSERT_TRUE(cache().removeObjectInCacheByKey("p").ok());
  restart();
  EXPECT_FALSE(cache().hasObjectInCacheByKey("p"));
}

}  // namespace
}  // namespace framework
