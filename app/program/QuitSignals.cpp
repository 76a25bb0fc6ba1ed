#include "app/program/QuitSignals.h"

#include <signal.h>
#include <unistd.h>

#include <string>

#include "platform/foundation/RunLoop.h"

namespace zunoradio {
namespace {

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

// The deadline's thread only waits; a process that ends first takes it along.
void QuitSignals::leaveWithin() {
  std::call_once(leaving_, [patience = patience_] {
    std::thread([patience] {
      std::this_thread::sleep_for(patience);
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
