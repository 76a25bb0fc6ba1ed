#include <gtest/gtest.h>

#include <algorithm>

#include "tests/playback/offline/DownloadFixture.h"

namespace playback {
namespace {

class DownloadSyncTest : public testing::DownloadFixture {
 protected:
  static void store(const std::string& id, const std::string& modifyTime) {
    ASSERT_TRUE(DBManager::sharedManager().insertProgram(
        api::ProgramModel::initWithDataDic(foundation::Dictionary{{"program_id", id}, {"modify_time", modifyTime}})));
  }
  static std::vector<std::string> localIds() { return DBManager::sharedManager().fetchProgramIdByUserId("5821"); }
  // Runs a sync to its end; the programmes it adds, a second apart, are each stored before the
  // clock moves on.
  void sync(const std::string& reply) {
    api.answerWithBody("user.listSubscriptionStatus", reply);
    auto asked = [this] { return api.callsTo("radio.getProgramDetail").size(); };
    std::size_t before = asked();
    downloads().sync_downloads();
    ASSERT_TRUE(downloads().isSync());
    while (true) {
      ASSERT_TRUE(runUntil([&] { return !downloads().isSync() || (asked() > before && liveRequests().empty()); }));
      if (!downloads().isSync()) break;
      before = asked();
      wait(DownloadManager::kSyncAddSpacingSeconds);
    }
    ASSERT_TRUE(runUntil([&] { return liveRequests().empty(); }));
  }
};

// A programme is fetched again only when the server changed it after its row was written (rows
// here are written at 1700000000), and a screen told of an added programme finds its row.
TEST_F(DownloadSyncTest, TheLocalListFollowsTheServersWhicheverWayItWritesIds) {
  store("801", "100");
  store("802", "100");
  store("803", "100");
  const std::string kept = DownloadPaths::songFile(5821, 802, 1);
  ASSERT_TRUE(foundation::FileManager::createDirectory(DownloadPaths::programDir(5821, 802)).ok());
  ASSERT_TRUE(foundation::FileManager::writeAtomically(kept, "song").ok());
  programme("802", {}, "1700000100");
  programme("804", {});
  std::vector<bool> rowsWhenTold;
  foundation::NotificationCenter::defaultCenter().addObserver(
      &rowsWhenTold, DownloadManager::kNewSynclist,
      [&](const foundation::Notification&) { rowsWhenTold.push_back(DBManager::sharedManager().programIsExist(804)); });
  sync(R"({"err":"hapn.ok","data":[{"program_id":801,"modify_time":"1600000000"},
          {"program_id":"802","modify_time":1700000100},{"program_id":"804"}]})");
  // Three rows were there before the sync too: the wait is for the server's three.
  ASSERT_TRUE(runUntil([&] {
    std::vector<std::string> ids = localIds();
    std::sort(ids.begin(), ids.end());
    return ids == std::vector<std::string>{"801", "802", "804"} && liveRequests().empty();
  }));
  foundation::NotificationCenter::defaultCenter().removeObserver(&rowsWhenTold);
  EXPECT_EQ(std::count(posted.begin(), posted.end(), "notificationNewSynclist"), 2);
  ASSERT_FALSE(rowsWhenTold.empty());
  EXPECT_TRUE(rowsWhenTold.back()) << "told before the added row was stored";
  EXPECT_EQ(DBManager::sharedManager().fetchProgramStatusById(803), -1);
  EXPECT_EQ(DBManager::sharedManager().getDownloadedProgram(802)->modifyTime(), "1700000100");
  EXPECT_EQ(DBManager::sharedManager().getDownloadedProgram(801)->modifyTime(), "100");
  EXPECT_TRUE(foundation::FileManager::fileExists(kept));
  EXPECT_EQ(api.callsTo("radio.getProgramDetail").size(), 2u);
  EXPECT_EQ(api.callsTo("user.listSubscriptionStatus")[0].formValue("sync"), "1");
}

// The list is added from its last entry to its first, a second apart, and downloads in that order.
TEST_F(DownloadSyncTest, ProgrammesAreAddedFromTheListsLastEntryToItsFirstASecondApart) {
  for (const char* id : {"961", "962", "963"}) programme(id, {});
  sync(R"({"err":"hapn.ok","data":[{"program_id":"963"},{"program_id":"961"},{"program_id":"962"}]})");
  ASSERT_TRUE(runUntil([&] { return localIds().size() == 3; }));
  std::vector<std::string> asked;
  for (const auto& call : api.callsTo("radio.getProgramDetail"))
    asked.push_back(call.formValue("program_id").value_or(""));
  EXPECT_EQ(asked, (std::vector<std::string>{"962", "961", "963"}));
  EXPECT_EQ(localIds(), (std::vector<std::string>{"962", "961", "963"}));
  std::vector<std::string> createTimes;
  for (const auto& row : DBManager::sharedManager().fetchProgramByStatus(-1))
    createTimes.push_back(row->modifyTime().value_or(""));
  EXPECT_EQ(createTimes, (std::vector<std::string>{"1700000000", "1700000001", "1700000002"}));
  std::vector<std::string> completed;
  for (const std::string& entry : posted)
    if (entry.rfind("notificationProgramIsDownloaded", 0) == 0) completed.push_back(entry.substr(entry.size() - 3));
  EXPECT_EQ(completed, (std::vector<std::string>{"962", "961", "963"}));
}

TEST_F(DownloadSyncTest, AReplyWithoutAListRemovesNothingAndAnEmptyListRemovesEverything) {
  store("811", "100");
  store("812", "100");
  sync(R"({"err":"hapn.ok"})");
  sync(R"({"err":"hapn.ok","data":{"program_id":"811"}})");
  sync(R"({"err":"hapn.u_param","data":[]})");
  EXPECT_EQ(localIds().size(), 2u);
  sync(R"({"err":"hapn.ok","data":[]})");
  EXPECT_TRUE(localIds().empty());
}

TEST_F(DownloadSyncTest, AListThatArrivesForAnotherUserIsDropped) {
  store("821", "100");
  api.answerWithBody("user.listSubscriptionStatus", R"({"err":"hapn.ok","data":[]})");
  downloads().sync_downloads();
  logIn("6000");
  ASSERT_TRUE(runUntil([&] { return !downloads().isSync(); }));
  logIn("5821");
  EXPECT_EQ(localIds(), std::vector<std::string>{"821"});
}

TEST_F(DownloadSyncTest, AUserWhoNeverChoseIsAskedOnceSomethingWasAdded) {
  foundation::UserDefaults::standardUserDefaults().removeObjectForKey("IS_DOWNLOAD_PAUSE_5821");
  programme("831", {});
  sync(R"({"err":"hapn.ok","data":[{"program_id":"831"}]})");
  ASSERT_EQ(ui::AlertView::visibleAlerts().size(), 1u);
  auto alert = ui::AlertView::visibleAlerts().front();
  EXPECT_EQ(alert->title(), "离线节目");
  EXPECT_EQ(alert->buttonTitle(0), "稍候再看");
  EXPECT_EQ(alert->buttonTitle(1), "立即同步");
  runUntilPosted("notificationProgramWatingForDownload 831");
  alert->pressButton(1);
  runUntilPosted("notificationProgramIsDownloaded 831");
  EXPECT_FALSE(downloads().isDownloadPause());
}

}  // namespace
}  // namespace playback
