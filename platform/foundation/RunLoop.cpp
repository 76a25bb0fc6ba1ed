#include "platform/foundation/RunLoop.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <condition_variable>
#include <mutex>
#include <unordered_map>

#include "platform/foundation/ExitTimeDestructor.h"
#include "platform/foundation/TimerSchedule.h"
#include "platform/sanitizers/Suppressions.h"

namespace foundation {
namespace {

using SteadyDuration = std::chrono::steady_clock::duration;

// Longer real-time waits than this are cut short; it keeps the deadline arithmetic in range.
constexpr Duration kLongestWait = std::chrono::hours(24 * 365);

pid_t currentThreadId() {
  thread_local const pid_t id = gettid();  // asked often: callbacks check their thread
  return id;
}

bool onMainThread() {
  thread_local const bool isProcessFirstThread = currentThreadId() == getpid();
  return isProcessFirstThread;
}

// A real-time wait: not a number or below zero is none; longer ones are cut to kLongestWait.
SteadyDuration toWait(Duration duration) {
  if (!(duration > Duration::zero())) return SteadyDuration::zero();
  return std::chrono::duration_cast<SteadyDuration>(std::min(duration, kLongestWait));
}

// The loops that exist now, so that a clock change or a timer released on another thread never
// reaches a loop that has ended.
class LiveLoops {
 public:
  std::uint64_t add(RunLoop* loop) {
    std::lock_guard lock(mutex_);
    loops_.emplace(++lastId_, loop);
    return lastId_;
  }

  void remove(std::uint64_t id) {
    std::lock_guard lock(mutex_);
    loops_.erase(id);
  }

  // Calls `use` under the registry's lock when the loop still exists.
  void with(std::uint64_t id, const std::function<void(RunLoop&)>& use) {
    std::lock_guard lock(mutex_);
    if (auto found = loops_.find(id); found != loops_.end()) use(*found->second);
  }

  void forEach(const std::function<void(RunLoop&)>& use) {
    std::lock_guard lock(mutex_);
    for (auto& [id, loop] : loops_) use(*loop);
  }

 private:
  std::mutex mutex_;
  std::unordered_map<std::uint64_t, RunLoop*> loops_;
  std::uint64_t lastId_ = 0;
};

LiveLoops& liveLoops() {
  static auto* loops = new LiveLoops();  // outlives every thread's loop
  return *loops;
}

// Lets a thread that waits for performed work go on once the work has run or was dropped.
class Completion {
 public:
  void signal() {
    std::lock_guard lock(mutex_);
    done_ = true;
    condition_.notify_all();
  }
  void wait() {
    std::unique_lock lock(mutex_);
    condition_.wait(lock, [this] { return done_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable condition_;
  bool done_ = false;
};

}  // namespace

struct RunLoop::Impl {
  // No single-thread hint: with it, work posted by a handler waits in that handler's private
  // queue and a runUntil() nested in the handler would never see it.
  boost::asio::io_context io;
  boost::asio::executor_work_guard<boost::asio::io_context::executor_type> keepRunning{io.get_executor()};
  boost::asio::steady_timer wakeTimer{io};  // loop thread only
  TimePoint armedFor = TimePoint::max();    // loop thread only; when wakeTimer is due, on the clock
  std::atomic<bool> servicePending{false};
  std::atomic<bool> stopRequested{false};
  std::shared_ptr<TimerSchedule> timers;
  pid_t owner = 0;
  std::uint64_t id = 0;

  // Any thread. Makes the loop look at its timers soon.
  void wake() {
    if (servicePending.exchange(true)) return;
    boost::asio::post(io, [this] {
      servicePending.store(false);
      serviceTimers();
    });
  }

  // Loop thread. Fires one due timer, then comes back for the next one or sleeps until it is due,
  // so that runUntil() looks at its condition between timers.
  void serviceTimers() {
    timers->fireNextUntil(Clock::current().now());
    const TimePoint next = timers->earliest();
    if (next <= Clock::current().now()) {
      wake();
    } else {
      armFor(next);
    }
  }

  // Loop thread. The real-time wake-up for the earliest timer. Under a manual clock it only makes
  // the loop look again; the timer fires when the clock gets there.
  void armFor(TimePoint due) {
    if (due == armedFor) return;
    armedFor = due;
    if (due == TimePoint::max()) {
      wakeTimer.cancel();
      return;
    }
    wakeTimer.expires_after(std::min(due - Clock::current().now(), toWait(kLongestWait)));
    wakeTimer.async_wait([this](const boost::system::error_code& error) {
      if (error == boost::asio::error::operation_aborted) return;
      armedFor = TimePoint::max();
      serviceTimers();
    });
  }
};

RunLoop::RunLoop() : impl_(std::make_unique<Impl>()) {
  impl_->owner = currentThreadId();
  const std::uint64_t id = liveLoops().add(this);
  impl_->id = id;
  auto wake = [id] { liveLoops().with(id, [](RunLoop& loop) { loop.impl_->wake(); }); };
  auto postToLoop = [id](std::function<void()> work) {
    liveLoops().with(id, [&work](RunLoop& loop) { boost::asio::post(loop.impl_->io, std::move(work)); });
  };
  impl_->timers = std::make_shared<TimerSchedule>(std::move(wake), std::move(postToLoop));
}

RunLoop::~RunLoop() { liveLoops().remove(impl_->id); }

RunLoop& RunLoop::main() {
  static RunLoop* const loop = [] {
    sanitizers::keepSuppressions();
    auto* mainLoop = new RunLoop();  // lives for the run, like the main thread
    mainLoop->impl_->owner = getpid();
    return mainLoop;
  }();
  return *loop;
}

RunLoop& RunLoop::current() {
  if (onMainThread()) return main();
  // Destroyed as its thread ends, never at exit: the main thread's loop is main().
  ZR_EXIT_TIME_DESTRUCTOR_ALLOWED_BEGIN
  thread_local std::unique_ptr<RunLoop> loop;
  ZR_EXIT_TIME_DESTRUCTOR_ALLOWED_END
  if (!loop) loop.reset(new RunLoop());
  return *loop;
}

bool RunLoop::isMainThread() { return onMainThread(); }

void RunLoop::post(std::function<void()> work) {
  if (work) boost::asio::post(impl_->io, std::move(work));
}

void RunLoop::perform(std::function<void()> work, bool waitUntilDone) {
  if (!work) return;
  if (isCurrent()) {
    work();
    return;
  }
  if (!waitUntilDone) {
    post(std::move(work));
    return;
  }
  auto completion = std::make_shared<Completion>();
  // Signals when the posted copy is destroyed: after it ran, or when the loop dropped it.
  std::shared_ptr<void> signalWhenGone(nullptr, [completion](void*) { completion->signal(); });
  post([work = std::move(work), signalWhenGone] { work(); });
  signalWhenGone.reset();
  completion->wait();
}

std::shared_ptr<Timer> RunLoop::scheduleTimer(Duration interval, bool repeats, std::function<void()> handler) {
  return impl_->timers->add(interval, repeats, std::move(handler));
}

bool RunLoop::runUntil(const std::function<bool()>& condition, Duration timeout) {
  const auto deadline = std::chrono::steady_clock::now() + toWait(timeout);
  if (condition()) return true;
  while (!impl_->stopRequested.exchange(false)) {
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= SteadyDuration::zero()) break;
    impl_->io.run_one_for(left);
    if (condition()) return true;
  }
  return condition();
}

void RunLoop::run() {
  while (!impl_->stopRequested.exchange(false)) impl_->io.run_one();
}

void RunLoop::stop() {
  impl_->stopRequested.store(true);
  boost::asio::post(impl_->io, [] {});  // wakes a loop that waits for work
}

std::size_t RunLoop::pumpOnce() { return impl_->io.poll(); }

bool RunLoop::isCurrent() const { return currentThreadId() == impl_->owner; }

boost::asio::io_context& RunLoop::ioContext() { return impl_->io; }

bool RunLoop::fireNextTimerUntil(TimePoint limit) { return impl_->timers->fireNextUntil(limit); }

TimePoint RunLoop::nextFireTime() const { return impl_->timers->earliest(); }

void RunLoop::wakeAllLoops() {
  liveLoops().forEach([](RunLoop& loop) { loop.impl_->wake(); });
}

void performOnMainThread(std::function<void()> work, bool waitUntilDone) {
  RunLoop::main().perform(std::move(work), waitUntilDone);
}

}  // namespace foundation
