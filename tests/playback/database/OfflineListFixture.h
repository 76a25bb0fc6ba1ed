#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Clock.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "src/api/models/ProgramModel.h"
#include "src/api/models/SongModel.h"
#include "src/api/models/UserModel.h"
#include "src/framework/cache/DataCacheManager.h"
#include "src/playback/offline/DBManager.h"

namespace playback::testing {

// A fresh home, data cache and offline database per test, on a manual clock starting at
// 1,700,000,000 seconds since 1970.
class OfflineListFixture : public ::testing::Test {
 protected:
  static constexpr std::int64_t kStart = 1'700'000'000;

  void SetUp() override {
    home_ = foundation::Paths::useFreshHomeForTesting();
    foundation::UserDefaults::standardUserDefaults().reloadForTesting();
    framework::DataCacheManager::resetSharedManagerForTesting();
    DBManager::resetSharedManagerForTesting();
    clock_ = std::make_shared<foundation::ManualClock>(foundation::Date{static_cast<double>(kStart)});
    foundation::Clock::setCurrent(clock_);
  }
  void TearDown() override {
    DBManager::resetSharedManagerForTesting();
    framework::DataCacheManager::resetSharedManagerForTesting();
    foundation::Clock::useRealClock();
    (void)foundation::FileManager::removeItem(home_);
  }

  static DBManager& manager() { return DBManager::sharedManager(); }

  static void logIn(const std::string& uid) {
    auto user = api::UserModel::initWithDataDic(foundation::Dictionary{{"uid", uid}});
    ASSERT_TRUE(
        framework::DataCacheManager::sharedManager().addObjectToMemory(user, framework::kUserIsLoginCacheKey).ok());
  }
  static void logOut() {
    ASSERT_TRUE(
        framework::DataCacheManager::sharedManager().removeObjectInCacheByKey(framework::kUserIsLoginCacheKey).ok());
  }

  // A programme by `dj` with songs of the given ids.
  static api::ProgramModelPtr program(const std::string& id, const std::vector<int>& songIds = {1, 2, 3},
                                      const std::string& dj = "900", const std::string& name = "a programme") {
    auto model = api::ProgramModel::initWithDataDic(foundation::Dictionary{{"program_id", id},
                                                                           {"program_name", name},
                                                                           {"song_num", std::to_string(songIds.size())},
                                                                           {"uid", dj},
                                                                           {"modify_time", "1600000000"}});
    std::vector<api::SongModelPtr> songs;
    for (int songId : songIds)
      songs.push_back(api::SongModel::initWithDataDic(foundation::Dictionary{{"song_id", songId}}));
    model->setSongsArr(std::move(songs));
    return model;
  }

  static std::vector<std::string> songIdsOf(const api::ProgramModelPtr& model) {
    std::vector<std::string> ids;
    for (const auto& song : model->songsArr()) ids.push_back(song->songId().value_or("?"));
    return ids;
  }

  static std::vector<std::int64_t> idsOf(const std::vector<DownloadDataModelPtr>& rows) {
    std::vector<std::int64_t> ids;
    for (const auto& row : rows) ids.push_back(row->programId());
    return ids;
  }

  void advanceSeconds(double seconds) { clock_->advance(foundation::Duration(seconds)); }

  std::string home_;
  std::shared_ptr<foundation::ManualClock> clock_;
};

}  // namespace playback::testing
