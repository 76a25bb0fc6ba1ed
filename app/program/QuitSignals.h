#pragma once

#include <pthread.h>

#include <atomic>
#include <functional>
#include <thread>

namespace zunoradio {

// SIGINT and SIGTERM end the program the way its quit key does: they are taken by a thread of
// their own and handed to the main run loop, so that the program leaves in its usual order.
class QuitSignals {
 public:
  // Before any thread starts: every thread started later leaves the two signals to the watcher.
  static void blockInEveryThread();

  // Main thread. `onQuit` runs on the main loop, once per signal.
  explicit QuitSignals(std::function<void()> onQuit);
  // Main thread. Stops watching and waits for the thread.
  ~QuitSignals();
  QuitSignals(const QuitSignals&) = delete;
  QuitSignals& operator=(const QuitSignals&) = delete;

 private:
  void watch();

  std::function<void()> onQuit_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace zunoradio
