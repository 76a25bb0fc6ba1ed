#include <gtest/gtest.h>

#include <deque>
#include <memory>

#include "tests/app/ChildProcess.h"

namespace {

// A fresh process each time, since GIO makes its defaults once per process: many starts, a few at
// once, each racing the sound backend's warm-up against the desktop's proxy settings read a little
// later each time, across the warm-up's first tens of milliseconds. The desktop module chosen here
// opens settings of its own as it is made: where the two first uses overlap, they deadlock inside
// GIO unless made one at a time (a few starts in a hundred hang then). A start that never ends is
// killed and counted. Under ThreadSanitizer the children make no reports: the races it sees at
// this start are inside GLib, whose own locking it cannot see, and it symbolizes even a suppressed
// one under its own locks, waiting for the loader's, which GIO unloading a module may hold while
// it waits for the sanitizer's, so the start hangs. The player's tests check the warm-up's own
// code for races in process.
TEST(GioDefaultsTest, FirstUsesOnTwoThreadsAtOnceNeverHang) {
  constexpr int kStarts = 320;
  constexpr int kOffsetStepMicroseconds = 250;
  constexpr std::size_t kAtOnce = 4;
  int started = 0;
  int hung = 0;
  int failed = 0;
  std::deque<std::unique_ptr<apptest::ChildProcess>> running;
  while (started < kStarts || !running.empty()) {
    while (started < kStarts && running.size() < kAtOnce) {
      running.push_back(std::make_unique<apptest::ChildProcess>(std::vector<std::string>{
          "/usr/bin/env", "-u", "http_proxy", "-u", "https_proxy", "-u", "all_proxy", "-u", "HTTP_PROXY", "-u",
          "HTTPS_PROXY", "-u", "ALL_PROXY", "GIO_USE_PROXY_RESOLVER=gnome", "GSETTINGS_BACKEND=memory",
          "TSAN_OPTIONS=report_bugs=0", ZR_FIRST_USE_RACE_PATH, std::to_string(started * kOffsetStepMicroseconds)}));
      ++started;
    }
    auto& child = *running.front();
    const bool ended = child.readToEnd(std::chrono::seconds(10));
    hung += ended ? 0 : 1;
    failed += child.finish(ended ? 0 : SIGKILL).first == 0 ? 0 : 1;
    running.pop_front();
  }
  EXPECT_EQ(hung, 0) << "of " << kStarts << " starts";
  EXPECT_EQ(failed, 0) << "of " << kStarts << " starts";
}

}  // namespace
