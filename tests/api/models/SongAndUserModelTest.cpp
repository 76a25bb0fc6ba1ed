#include <gtest/gtest.h>

#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "src/api/models/SongModel.h"
#include "src/api/models/UserModel.h"
#include "src/framework/cache/DataCacheManager.h"

namespace api {
namespace {

using foundation::Dictionary;

TEST(SongModelTest, StreamUrlFollowsTheNetworkKind) {
  auto song = SongModel::initWithDataDic(Dictionary{{"audio_url", "http://m.invalid/song/a/song/1.mp3"}});
  EXPECT_EQ(song->getAudioPlayUrl("2G网络"), "http://m.invalid/song/log/a/song/log/1.mp3");
  EXPECT_EQ(song->getAudioPlayUrl("3G网络"), "http://m.invalid/song/medium/a/song/medium/1.mp3");
  EXPECT_EQ(song->getAudioPlayUrl("wifi网络"), "http://m.invalid/song/high/a/song/high/1.mp3");
  EXPECT_EQ(song->getAudioPlayUrl("WWAN网络"), "http://m.invalid/song/a/song/1.mp3");
  EXPECT_EQ(song->getAudioPlayUrl("没有网络"), "http://m.invalid/song/a/song/1.mp3");

  auto elsewhere = SongModel::initWithDataDic(Dictionary{{"audio_url", "http://m.invalid/songs/1.mp3"}});
  EXPECT_EQ(elsewhere->getAudioPlayUrl("wifi网络"), "http://m.invalid/songs/1.mp3");
  EXPECT_EQ(SongModel().getAudioPlayUrl("wifi网络"), "");
}

class UserModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::Paths::useFreshHomeForTesting();
    restart();
  }
  void TearDown() override { framework::DataCacheManager::resetSharedManagerForTesting(); }
  static void restart() {
    foundation::UserDefaults::standardUserDefaults().reloadForTesting();
    framework::DataCacheManager::resetSharedManagerForTesting();
  }
};

TEST_F(UserModelTest, NobodyLoggedIn) {
  EXPECT_EQ(UserModel::getUser(), nullptr);
  EXPECT_EQ(UserModel::getLoginUserId(), "");
  EXPECT_EQ(UserModel::getUserId(), "");
}

TEST_F(UserModelTest, LoggedInUserIsReadFromTheDataCacheAfterARestart) {
  auto user = UserModel::initWithDataDic(Dictionary{{"luid", "sess-1"}, {"uid", 42}, {"pri_audit_program", "1"}});
  ASSERT_TRUE(framework::DataCacheManager::sharedManager().addObject(user, framework::kUserIsLoginCacheKey).ok());
  restart();
  ASSERT_NE(UserModel::getUser(), nullptr);
  EXPECT_NE(UserModel::getUser(), user) << "restored from the archive, not the same object";
  EXPECT_EQ(UserModel::getUser()->priAuditProgram(), "1");
  EXPECT_EQ(UserModel::getLoginUserId(), "sess-1");
  EXPECT_EQ(UserModel::getUserId(), "42");

  ASSERT_TRUE(
      framework::DataCacheManager::sharedManager().addObject("not a user", framework::kUserIsLoginCacheKey).ok());
  EXPECT_EQ(UserModel::getUser(), nullptr);
  EXPECT_EQ(UserModel::getLoginUserId(), "");
}

}  // namespace
}  // namespace api
