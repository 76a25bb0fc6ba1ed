#include <gtest/gtest.h>
#include <pthread.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>

#include "platform/foundation/RunLoop.h"

namespace foundation {
namespace {

TEST(LoopThreadTest, RunsWorkOnItsOwnNamedThreadAndOutlivesStrayStops) {
  LoopThread thread("zr-network-thread-long-name");
  std::string threadName;
  bool isItsLoop = false, isMain = true;
  thread.loop().stop();  // only the destructor ends a loop thread
  thread.loop().perform(
      [&] {
        char name[16] = {};
        pthread_getname_np(pthread_self(), name, sizeof name);
        threadName = name;
        isItsLoop = &RunLoop::current() == &thread.loop() && thread.loop().isCurrent();
        isMain = RunLoop::isMainThread();
      },
      true);
  EXPECT_EQ(threadName, "zr-network-thre");
  EXPECT_TRUE(isItsLoop);
  EXPECT_FALSE(isMain);
  EXPECT_FALSE(thread.loop().isCurrent());
}

TEST(LoopThreadTest, EndsWithTimersPendingAndLeavesThemSafeToUse) {
  auto held = std::make_shared<int>(0);
  std::shared_ptr<Timer> timer;
  {
    LoopThread thread("ending");
    thread.loop().perform([&] { timer = RunLoop::current().scheduleTimer(Duration(3600), true, [held] {}); }, true);
  }
  EXPECT_TRUE(timer->isValid());
  timer->invalidate();  // its loop is gone
  EXPECT_FALSE(timer->isValid());
  timer.reset();
  EXPECT_EQ(held.use_count(), 1);
}

// An exit called from the loop's own work: holding the thread there would wait behind that work,
// and a thread held by its own work would never let its destructor join it.
TEST(LoopThreadTest, AHoldAskedFromItsOwnLoopAnswersAtOnceAndLeavesTheThreadFree) {
  auto thread = std::make_unique<LoopThread>("holding");
  bool held = false;
  thread->loop().perform([&] { held = thread->holdWithin(Duration(0)); }, true);
  EXPECT_TRUE(held);
  // Waited for within a bound: a thread held for good never runs it.
  auto ran = std::make_shared<std::promise<void>>();
  std::future<void> ranAfter = ran->get_future();
  thread->loop().post([ran] { ran->set_value(); });
  if (ranAfter.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    (void)thread.release();  // its destructor would wait for the held thread forever
    FAIL() << "The thread stays held by the work that asked for the hold.";
  }
}

}  // namespace
}  // namespace foundation
