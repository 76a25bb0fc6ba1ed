#pragma once

#include <pthread.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/foundation/Clock.h"

namespace zunoradio {

// SIGINT and SIGTERM end the program the way its quit key does: they are taken by a thread of
// their own and handed to the main run loop, so that the program leaves in its usual order. A
// quit never waits without bound: once leaving has begun (at the first signal, or when the
// program says so) the process ends within the patience given, whatever a thread is stuck in,
// and a second signal ends it at once.
class QuitSignals {
 public:
  // Before any thread starts: every thread started later leaves the two signals to the watcher.
  static void blockInEveryThread();

  // Main thread. `onQuit` runs on the main loop at the first signal.
  QuitSignals(std::function<void()> onQuit, foundation::Duration patience);
  // Main thread. Stops watching and waits for the thread.
  ~QuitSignals();
  QuitSignals(const QuitSignals&) = delete;
  QuitSignals& operator=(const QuitSignals&) = delete;

  // Any thread. From the first call on, the process ends within the patience even if its own
  // leaving is stuck; the console has written every line through by then.
  void leaveWithin();

 private:
  void watch();

  std::function<void()> onQuit_;
  foundation::Duration patience_;
  std::once_flag leaving_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace zunoradio
