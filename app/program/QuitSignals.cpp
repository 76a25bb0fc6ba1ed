#include "app/program/QuitSignals.h"

#include <signal.h>

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

}  // namespace

void QuitSignals::blockInEveryThread() {
  const sigset_t signals = quitSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

QuitSignals::QuitSignals(std::function<void()> onQuit) : onQuit_(std::move(onQuit)), thread_([this] { watch(); }) {}

QuitSignals::~QuitSignals() {
  stopping_ = true;
  pthread_kill(thread_.native_handle(), SIGTERM);
  thread_.join();
}

void QuitSignals::watch() {
  const sigset_t signals = quitSignals();
  int signal = 0;
  while (sigwait(&signals, &signal) == 0 && !stopping_.load())
    foundation::RunLoop::main().post([onQuit = onQuit_] { onQuit(); });
}

}  // namespace zunoradio
