#include "app/program/QuitSignals.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "platform/foundation/RunLoop.h"

namespace zunoradio {
namespace {

// How often a leaving process looks at its clock for the deadline.
constexpr std::chrono::milliseconds kClockLook{100};

sigset_t quitSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

// Any thread. Ends the process now, past exit's clean-up, which may wait on whatever is stuck.
[[noreturn]] void leaveNow(const std::string& sentence, int status) {
  const std::string line = "zunoradio: " + sentence + "\n";
  (void)!::write(STDERR_FILENO, line.data(), line.size());
  ::_exit(status);
}

}  // namespace

void QuitSignals::blockInEveryThread() {
  const sigset_t signals = quitSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

QuitSignals::QuitSignals(std::function<void()> onQuit, foundation::Duration patience)
    : onQuit_(std::move(onQuit)), patience_(patience), thread_([this] { watch(); }) {}

QuitSignals::~QuitSignals() {
  stopping_ = true;
  pthread_kill(thread_.native_handle(), SIGTERM);
  thread_.join();
}

// The deadline's thread only waits, on the process's clock, so that a test can step past the
// patience; it looks at the clock a few times a second. It is detached because it bounds exit's own
// clean-up too: it races with nothing but the process's end, which takes it along.
void QuitSignals::leaveWithin() {
  std::call_once(leaving_, [patience = patience_] {
    foundation::Clock& clock = foundation::Clock::current();
    const foundation::TimePoint due =
        clock.now() + std::chrono::duration_cast<foundation::TimePoint::duration>(patience);
    std::thread([patience, &clock, due] {
      for (auto left = due - clock.now(); left.count() > 0; left = due - clock.now())
        std::this_thread::sleep_for(std::min<foundation::TimePoint::duration>(left, kClockLook));
      leaveNow("Could not finish quitting within " + std::to_string(static_cast<int>(patience.count())) +
                   " seconds: leaving now.",
               1);
    }).detach();
  });
}

void QuitSignals::watch() {
  const sigset_t signals = quitSignals();
  int signal = 0;
  bool asked = false;
  while (sigwait(&signals, &signal) == 0 && !stopping_.load()) {
    if (asked) leaveNow("Asked again to quit: leaving at once.", 128 + signal);
    asked = true;
    foundation::RunLoop::main().post([onQuit = onQuit_] { onQuit(); });
    leaveWithin();
  }
}

}  // namespace zunoradio
