#include <algorithm>
#include <atomic>
#include <optional>
#include <set>
#include <thread>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/PropertyList.h"
#include "src/playback/managers/PlayApiManager.h"
#include "src/playback/managers/PlayLogCommit.h"
#include "src/playback/managers/PlayLogFolder.h"
#include "src/playback/managers/PlayLogKeeper.h"
#include "tests/playback/player/PlayerFixture.h"

namespace playback {
namespace {

foundation::Dictionary record(const std::string& songId) {
  return {{"song_id", songId},     {"program_id", "0"},      {"channel_id", "0"}, {"artist_id", "0"},
          {"real_duration", "30"}, {"song_duration", "200"}, {"action", "0"},     {"source", "3"}};
}

// The song ids of every batch the server received, in order.
std::vector<std::vector<std::string>> batches(const std::vector<station::StationCall>& calls) {
  std::vector<std::vector<std::string>> result;
  for (const auto& call : calls) {
    auto logs = call.formValue("js_logs");
    if (!logs) continue;
    auto parsed = foundation::Json::parse(*logs);
    std::vector<std::string> ids;
    for (const auto& entry : *parsed->getArray()) ids.push_back(entry["song_id"].toString());
    result.push_back(ids);
  }
  return result;
}

class PlayApiManagerTest : public playertest::PlayerTest {
 protected:
  void storeOffline(int count) {
    services::AppDelegate::sharedDelegate().setIsOffline(true);
    for (int i = 0; i < count; ++i) PlayApiManager::playLog(record(std::to_string(i)));
    services::AppDelegate::sharedDelegate().setIsOffline(false);
  }
  std::size_t stored() const { return PlayLogFolder::list().size(); }
  void waitForCommitEnd() {
    ASSERT_TRUE(runUntil([] { return !PlayLogCommit::shared().isRunning(); }));
  }
};

TEST_F(PlayApiManagerTest, RecordsOfflineAreKeptEvenWithinOneSecondAndABatchIsStoredRecordByRecord) {
  storeOffline(3);
  EXPECT_EQ(stored(), 3u) << "records of the same second must not replace each other";
  auto kept = PlayLogFolder::read(PlayLogFolder::list().front());
  ASSERT_TRUE(kept);
  EXPECT_EQ((*kept)["time"].toString(), "1700000000");
  EXPECT_EQ((*kept)["real_duration"].toString(), "30");

  services::AppDelegate::sharedDelegate().setIsOffline(true);
  PlayApiManager::playLog({{"js_logs", R"([{"song_id":"a","time":"5"},{"song_id":"b","time":"6"}])"}});
  EXPECT_EQ(stored(), 5u);
  EXPECT_TRUE(api.callsTo("play._playLog").empty());
}

TEST_F(PlayApiManagerTest, AnAcceptedRecordSendsTheBacklogInBatchesOfTenWithPauses) {
  storeOffline(23);
  PlayApiManager::playLog(record("live"));
  ASSERT_TRUE(runUntil([&] { return playLogs().size() == 2; }));
  EXPECT_EQ(playLogs()[0].formValue("song_id"), "live");
  EXPECT_FALSE(playLogs()[0].formValue("time"));
  for (std::size_t sent = 3; sent <= 4; ++sent) {
    ASSERT_TRUE(runUntil([] { return PlayLogCommit::shared().isPausing(); }));
    settle();
    EXPECT_EQ(playLogs().size(), sent - 1) << "the next batch waits for the pause";
    advance(PlayLogCommit::kPauseSeconds);
    ASSERT_TRUE(runUntil([&] { return playLogs().size() == sent; }));
  }
  waitForCommitEnd();
  auto sent = batches(playLogs());
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0].size(), 10u);
  EXPECT_EQ(sent[1].size(), 10u);
  EXPECT_EQ(sent[2].size(), 3u);
  std::set<std::string> unique;
  for (const auto& batch : sent) unique.insert(batch.begin(), batch.end());
  EXPECT_EQ(unique.size(), 23u) << "every record exactly once";
  EXPECT_EQ(stored(), 0u);
}

TEST_F(PlayApiManagerTest, RefusedSendsKeepTheRecordsAndDoNotRetryOnTheirOwn) {
  api.answerWithErr("play._playLog", "hapn.fail");
  PlayApiManager::playLog(record("live"));
  ASSERT_TRUE(runUntil([&] { return stored() == 1; })) << "a refused record is stored";

  storeOffline(4);
  PlayApiManager::commitOfflineLog();
  ASSERT_TRUE(runUntil([&] { return playLogs().size() == 2; }));
  waitForCommitEnd();
  advance(1);
  settle();
  EXPECT_EQ(playLogs().size(), 2u) << "no further sends against a refusing server";
  EXPECT_EQ(stored(), 5u) << "files of a refused batch stay";

  api.dropConnection("play._playLog");
  PlayApiManager::playLog(record("dropped"));
  ASSERT_TRUE(runUntil([&] { return stored() == 6; })) << "a record whose send failed is stored";
}

TEST_F(PlayApiManagerTest, AnUnreadableFileIsPutAsideAndTheRestIsSent) {
  storeOffline(2);
  ASSERT_TRUE(foundation::FileManager::writeAtomically(PlayLogFolder::path() + "/999", "not a property list"));
  PlayApiManager::commitOfflineLog();
  ASSERT_TRUE(runUntil([&] { return playLogs().size() == 1; }));
  waitForCommitEnd();
  EXPECT_EQ(batches(playLogs())[0].size(), 2u);
  EXPECT_EQ(stored(), 0u);
  EXPECT_TRUE(foundation::FileManager::fileExists(PlayLogFolder::unreadablePath() + "/999"));
}

// A record is on disk from before it goes out until the server took it, so that quitting while
// the answer is awaited loses nothing; one the disk cannot take is kept in memory meanwhile.
TEST_F(PlayApiManagerTest, ARecordIsKeptUntilTheServerTookIt) {
  auto files = [] { return foundation::FileManager::contentsOfDirectory(PlayLogFolder::path()).value().size(); };
  api.holdReplies("play._playLog");
  PlayApiManager::playLog(record("live"));
  EXPECT_EQ(files(), 1u) << "the record awaiting its answer is not on disk";
  EXPECT_TRUE(PlayLogFolder::list().empty()) << "a batch would send the record on its way a second time";
  api.releaseHeldReplies();
  ASSERT_TRUE(runUntil([&] { return files() == 0; }));

  PlayApiManager::resetForTesting();
  ASSERT_TRUE(foundation::FileManager::removeItem(PlayLogFolder::path()));
  ASSERT_TRUE(foundation::FileManager::writeAtomically(PlayLogFolder::path(), "a file where the folder goes"));
  ::testing::internal::CaptureStderr();
  storeOffline(2);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(PlayLogKeeper::keptInMemory(), 2u);
  EXPECT_EQ(PlayApiManager::storedRecordCount(), 2u) << "records in memory wait for a batch too";
  EXPECT_NE(said.find("Play records cannot be stored in " + PlayLogFolder::path()), std::string::npos) << said;
  EXPECT_EQ(said.find('\n'), said.size() - 1) << "reported more than once: " << said;
  ASSERT_TRUE(foundation::FileManager::removeItem(PlayLogFolder::path()));
  storeOffline(1);
  EXPECT_EQ(PlayLogKeeper::keptInMemory(), 0u);
  EXPECT_EQ(stored(), 3u);
}

// A commit lists the folder on its own thread at any moment, a long backlog with it, and reads
// what it listed later, while records of one second go out on their own, settle, and lend their
// names to the next ones at once: the server never takes a record twice, on its own and in a batch.
TEST_F(PlayApiManagerTest, ARecordOnItsWayIsNeverBatchedToo) {
  constexpr int kRounds = 8;
  constexpr int kOnTheirWay = 16;
  constexpr int kBacklog = 1000;
  ASSERT_TRUE(foundation::FileManager::createDirectory(PlayLogFolder::path()));
  const std::string backlogRecord = foundation::PropertyList::serialize(record("backlog")).value();
  for (int i = 0; i < kBacklog; ++i)  // of a later second: batches take the records going out first
    ASSERT_TRUE(foundation::FileManager::writeAtomicallyUnflushed(
        PlayLogFolder::path() + "/1700000001_" + std::to_string(i), backlogRecord));

  std::vector<std::atomic<int>> taken(kRounds * kOnTheirWay);
  std::atomic<int> batched{0};
  std::atomic<int> roundsKept{0};
  std::atomic<int> roundsListing{0};
  auto await = [](const std::atomic<int>& count, int atLeast) {
    while (count.load() < atLeast) std::this_thread::yield();
  };
  // Lists as a round of records settles; reads a batch of what it listed once the next round
  // took their names.
  std::thread commit([&] {
    for (int round = 1; round <= kRounds; ++round) {
      await(roundsKept, round);
      roundsListing.store(round);
      const std::vector<std::string> names = PlayLogFolder::list();
      await(roundsKept, std::min(round + 1, kRounds));
      for (std::size_t i = 0; i < std::min(names.size(), PlayLogCommit::kBatchSize); ++i) {
        std::optional<foundation::Dictionary> read = PlayLogFolder::read(names[i]);
        if (!read || (*read)["song_id"] == foundation::Value("backlog")) continue;
        ++taken[std::stoi((*read)["song_id"].toString())];
        ++batched;
        (void)PlayLogFolder::remove(names[i]);
      }
    }
  });
  for (int round = 1; round <= kRounds; ++round) {
    std::vector<std::pair<int, PlayLogKeeper::Ticket>> onTheirWay;
    for (int id = (round - 1) * kOnTheirWay; id < round * kOnTheirWay; ++id) {
      foundation::Dictionary stamped = record(std::to_string(id));
      stamped.set("time", "1700000000");
      onTheirWay.emplace_back(id, PlayLogKeeper::keep(stamped, true));
      EXPECT_TRUE(onTheirWay.back().second.file) << "the record never reached the folder";
    }
    roundsKept.store(round);
    await(roundsListing, round);
    for (const auto& [id, ticket] : onTheirWay) {
      const bool accepted = id % 10 < 7;
      if (accepted) ++taken[id];
      PlayLogKeeper::settle(ticket, accepted);
    }
  }
  commit.join();
  std::vector<int> twice;
  for (std::size_t id = 0; id < taken.size(); ++id)
    if (taken[id].load() > 1) twice.push_back(static_cast<int>(id));
  EXPECT_TRUE(twice.empty()) << twice.size() << " records taken twice, first " << twice.front();
  EXPECT_GT(batched.load(), 0) << "the records the server refused on their own go in batches";
}

}  // namespace
}  // namespace playback
