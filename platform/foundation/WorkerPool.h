#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

namespace foundation {

// The worker threads on which operation queues start their operations. A job goes to an idle
// worker, or to a new one while there are fewer than kMaxWorkers; workers stay for the run.
class WorkerPool {
 public:
  static constexpr std::size_t kMaxWorkers = 64;

  // Any thread. The process-wide pool.
  static WorkerPool& shared();
  // Any thread. Runs `job` on a worker thread.
  void run(std::function<void()> job);

 private:
  WorkerPool() = default;
  void work();

  std::mutex mutex_;  // guards the fields below
  std::condition_variable jobArrived_;
  std::deque<std::function<void()>> jobs_;
  std::size_t idleWorkers_ = 0;
  std::size_t workers_ = 0;
};

}  // namespace foundation
