#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "platform/foundation/Clock.h"

namespace boost::asio {
class io_context;
}

namespace foundation {

// A timer on a run loop. Any thread may call its methods. invalidate() stops it from firing
// again; a timer that is invalidated while its handler runs does not fire again. The loop keeps
// a valid timer (and its handler) alive; a one-shot timer becomes invalid as it fires.
class Timer {
 public:
  virtual ~Timer() = default;
  // Any thread.
  virtual void invalidate() = 0;
  // Any thread.
  virtual bool isValid() const = 0;
  // Any thread.
  virtual Duration interval() const = 0;
  // Any thread. When it will fire next, on the current clock.
  virtual TimePoint fireTime() const = 0;
};

// One event loop per thread, on Boost.Asio: the loop is its thread's io_context, so sockets
// scheduled on ioContext() complete while the loop runs (run, runUntil, pumpOnce). Work is posted
// from any thread and runs on the loop's thread in order. Timers read Clock::current().
class RunLoop {
 public:
  ~RunLoop();
  RunLoop(const RunLoop&) = delete;
  RunLoop& operator=(const RunLoop&) = delete;

  // Any thread. The loop of the process's main thread (the thread that ran static
  // initialisation: the program's main() or the test runner). Lives for the whole run.
  static RunLoop& main();
  // Any thread. The calling thread's loop, created on first use; it lives until the thread ends.
  static RunLoop& current();
  // Any thread.
  static bool isMainThread();

  // Any thread. Runs `work` on this loop's thread, after the work posted before it. Work still
  // queued when the loop ends is dropped without running.
  void post(std::function<void()> work);
  // Any thread. Runs `work` now when called on this loop's thread, else posts it and, with
  // waitUntilDone, blocks until it has run (or was dropped because the loop ended).
  void perform(std::function<void()> work, bool waitUntilDone);

  // Any thread. A timer firing on this loop's thread after `interval`, and every `interval` after
  // that if repeating (repeating intervals below 0.1 ms count as 0.1 ms, intervals over 1e9 s as
  // 1e9 s, and negative ones as 0). A repeating timer that fell behind skips the firings it missed.
  std::shared_ptr<Timer> scheduleTimer(Duration interval, bool repeats, std::function<void()> handler);

  // Loop thread. Runs work and timers until `condition` holds (checked first and after every
  // handler), stop() is called, or `timeout` of real time passes; returns whether the condition
  // held. May be nested inside a handler.
  bool runUntil(const std::function<bool()>& condition, Duration timeout = Duration(10));
  // Loop thread. Runs until stop() is called (also when stop() came before run()).
  void run();
  // Any thread. Makes the running (or the next) run() or runUntil() of this loop return soon.
  void stop();
  // Loop thread. Runs everything that is ready now (due timers included) without waiting;
  // returns how many handlers ran.
  std::size_t pumpOnce();

  // Any thread.
  bool isCurrent() const;

  // Any thread. For platform code that schedules sockets on this loop (platform/net).
  boost::asio::io_context& ioContext();

 private:
  RunLoop();
  friend class ManualClock;
  friend class LoopThread;
  friend class Clock;

  // Loop thread. Fires the earliest timer due at or before `limit` on the current clock, if any;
  // returns whether one fired.
  bool fireNextTimerUntil(TimePoint limit);
  // Loop thread. The due time of the earliest valid timer, or TimePoint::max().
  TimePoint nextFireTime() const;
  // Any thread. Makes every loop look at its timers again (the clock moved or was replaced).
  static void wakeAllLoops();

  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Any thread: RunLoop::main().perform(work, waitUntilDone).
void performOnMainThread(std::function<void()> work, bool waitUntilDone = false);

// A thread that owns a run loop and runs it until destroyed (the HTTP engine's network thread).
class LoopThread {
 public:
  // Any thread. Returns once the thread's loop exists.
  explicit LoopThread(std::string name);
  // Any thread but the loop's own. Stops the loop and joins the thread; work still queued on the
  // loop is dropped.
  ~LoopThread();
  LoopThread(const LoopThread&) = delete;
  LoopThread& operator=(const LoopThread&) = delete;

  // Any thread, once, for a thread that is never destroyed (at exit). Lets the work under way end,
  // then holds the thread in a wait that lasts until the process ends: its loop and what it reaches
  // stay, and it runs nothing more. Answers whether the thread was held within `patience`, counted
  // in real time. On the loop's own thread (an exit called from its work) nothing else runs on it
  // anyway: the answer is yes at once, and the thread is not held.
  bool holdWithin(Duration patience);

  // Any thread. Valid until the destructor runs.
  RunLoop& loop();
  // Any thread.
  const std::string& name() const { return name_; }

 private:
  struct Impl;
  std::string name_;
  std::unique_ptr<Impl> impl_;
};

}  // namespace foundation
