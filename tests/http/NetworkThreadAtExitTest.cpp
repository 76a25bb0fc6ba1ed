#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "platform/foundation/NoDestructor.h"
#include "src/http/HTTPRequest.h"

namespace http {
namespace {

struct ExitWatch {
  std::mutex mutex;
  std::condition_variable changed;
  bool exitBegun = false;  // guarded by mutex
  std::atomic<bool> workEnded{false};
};

ExitWatch& watch() {
  static foundation::NoDestructor<ExitWatch> shared;
  return *shared;
}

// Exit ends with the libraries' finalisers: work the network thread is doing when exit begins
// ends before exit goes on to them.
TEST(NetworkThreadAtExitTest, WorkUnderWayWhenExitBeginsEndsBeforeExitGoesOn) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        // Registered before the network thread starts, so it runs after whatever that start adds.
        std::atexit([] { std::fputs(watch().workEnded ? "ended first\n" : "still under way\n", stderr); });
        HTTPRequest::networkLoop().post([] {
          std::unique_lock lock(watch().mutex);
          watch().changed.wait(lock, [] { return watch().exitBegun; });
          lock.unlock();
          // Work that takes a while yet: exit that did not wait for it would be long past.
          for (int step = 0; step < 10000; ++step) std::this_thread::yield();
          watch().workEnded = true;
        });
        std::atexit([] {
          std::scoped_lock lock(watch().mutex);
          watch().exitBegun = true;
          watch().changed.notify_all();
        });
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "^ended first");
}

}  // namespace
}  // namespace http
