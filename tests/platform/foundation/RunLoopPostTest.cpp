#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <utility>
#include <vector>

#include "platform/foundation/RunLoop.h"

namespace foundation {
namespace {

TEST(RunLoopPostTest, WorkPostedTogetherFromAnotherThreadStillRunsOneHandlerAtATime) {
  std::promise<RunLoop*> loopReady;
  std::promise<void> allPosted;
  int ran = 0;  // the loop's thread only
  std::thread owner([&] {
    RunLoop& loop = RunLoop::current();
    loopReady.set_value(&loop);
    allPosted.get_future().wait();
    // One wake-up carries all three, yet the loop looks at the condition after each of them.
    EXPECT_TRUE(loop.runUntil([&] { return ran >= 1; }));
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(loop.pumpOnce(), 2u);
    EXPECT_EQ(ran, 3);
  });
  RunLoop* loop = loopReady.get_future().get();
  for (int i = 0; i < 3; ++i) loop->post([&] { ++ran; });
  allPosted.set_value();
  owner.join();
}

TEST(RunLoopPostTest, ConcurrentPostersLoseNothingAndKeepTheirOwnOrder) {
  constexpr int kPosters = 4;
  constexpr int kEach = 2000;
  std::vector<std::pair<int, int>> seen;  // main thread only
  std::vector<std::thread> posters;
  for (int poster = 0; poster < kPosters; ++poster) {
    posters.emplace_back([&, poster] {
      for (int i = 0; i < kEach; ++i) RunLoop::main().post([&seen, poster, i] { seen.emplace_back(poster, i); });
    });
  }
  // The loop drains while the posters post, so wake-ups race with the queue running empty.
  const bool all = RunLoop::main().runUntil([&] { return seen.size() == kPosters * kEach; });
  for (auto& poster : posters) poster.join();
  ASSERT_TRUE(all);

  std::vector<int> next(kPosters, 0);
  for (const auto& [poster, i] : seen) ASSERT_EQ(i, next[poster]++) << "poster " << poster;
}

TEST(RunLoopPostTest, WorkPostedByAHandlerOnItsOwnLoopRunsAfterWorkAlreadyQueued) {
  std::vector<int> order;
  std::thread([&] {
    RunLoop::main().post([&] {
      order.push_back(1);
      RunLoop::main().post([&] { order.push_back(3); });
    });
    RunLoop::main().post([&] { order.push_back(2); });
  }).join();
  EXPECT_TRUE(RunLoop::main().runUntil([&] { return order.size() == 3; }));
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

}  // namespace
}  // namespace foundation
