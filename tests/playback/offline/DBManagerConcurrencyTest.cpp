#include <algorithm>
#include <atomic>
#include <thread>

#include "platform/foundation/RunLoop.h"
#include "tests/playback/database/OfflineListFixture.h"

namespace playback {
namespace {

using OfflineListConcurrencyTest = testing::OfflineListFixture;

// The main thread and a background merge both record songs of one programme and store and read
// their own: one lock keeps every song and no statement is refused.
TEST_F(OfflineListConcurrencyTest, MainThreadAndBackgroundMergeLoseNothing) {
  constexpr int kSongsEach = 40;
  logIn("77");
  ASSERT_TRUE(manager().insertProgram(program("1")));

  std::atomic<int> failures = 0;
  std::atomic<bool> mergeDone = false;
  auto& mainLoop = foundation::RunLoop::main();
  std::thread merge([&] {
    for (int song = 1; song <= kSongsEach; ++song) {
      if (!manager().addSucSongsId(1000 + song, 1)) ++failures;
      if (!manager().insertProgram(program(std::to_string(100 + song)))) ++failures;
      if (manager().fetchProgramStatusById(100 + song) != 0) ++failures;
    }
    mainLoop.post([&] { mergeDone = true; });  // wakes the main loop to see it
  });
  for (int song = 1; song <= kSongsEach; ++song) {
    if (!manager().addSucSongsId(2000 + song, 1)) ++failures;
    if (!manager().getDownloadInfoById(1)) ++failures;
    mainLoop.pumpOnce();  // serves the merge's look-ups of the logged-in user
  }
  EXPECT_TRUE(mainLoop.runUntil([&] { return mergeDone.load(); }, foundation::Duration(120)));
  merge.join();

  EXPECT_EQ(failures, 0);
  auto recorded = manager().getDownloadInfoById(1)->sucSongs();
  EXPECT_EQ(recorded.size(), 2u * kSongsEach);
  std::sort(recorded.begin(), recorded.end());
  EXPECT_EQ(std::adjacent_find(recorded.begin(), recorded.end()), recorded.end());
  EXPECT_EQ(manager().fetchProgramByStatus(0).size(), 1u + kSongsEach);
}

}  // namespace
}  // namespace playback
