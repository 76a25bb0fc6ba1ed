#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/foundation/NoDestructor.h"
#include "src/http/HTTPRequest.h"

namespace http {
namespace {

struct ExitWatch {
  std::mutex mutex;
  std::condition_variable changed;
  bool exitBegun = false;   // guarded by mutex
  bool exitWentOn = false;  // guarded by mutex
  std::atomic<bool> workEnded{false};
};

// Well under the 2 s exit gives the work, and long past the moment an exit that did not wait for
// it would have gone on.
constexpr std::chrono::milliseconds kWorkLength{200};

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
        std::atexit([] {
          std::fputs(watch().workEnded ? "ended first\n" : "still under way\n", stderr);
          std::scoped_lock lock(watch().mutex);
          watch().exitWentOn = true;
          watch().changed.notify_all();
        });
        HTTPRequest::networkLoop().post([] {
          std::unique_lock lock(watch().mutex);
          watch().changed.wait(lock, [] { return watch().exitBegun; });
          // Work that takes a while yet, in real time however busy the machine: it ends sooner
          // only when exit went on without it.
          watch().changed.wait_for(lock, kWorkLength, [] { return watch().exitWentOn; });
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
