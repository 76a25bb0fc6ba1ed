#include "platform/foundation/WorkerPool.h"

#include <thread>

namespace foundation {

WorkerPool& WorkerPool::shared() {
  static auto* pool = new WorkerPool();  // its threads live for the run
  return *pool;
}

void WorkerPool::run(std::function<void()> job) {
  bool startWorker = false;
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
    startWorker = idleWorkers_ < jobs_.size() && workers_ < kMaxWorkers;
    if (startWorker) ++workers_;
  }
  if (startWorker) {
    std::thread([this] { work(); }).detach();
  } else {
    jobArrived_.notify_one();
  }
}

void WorkerPool::work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    ++idleWorkers_;
    jobArrived_.wait(lock, [this] { return !jobs_.empty(); });
    --idleWorkers_;
    auto job = std::move(jobs_.front());
    jobs_.pop_front();
    lock.unlock();
    job();
    job = nullptr;  // what the job holds goes before the worker waits again
    lock.lock();
  }
}

}  // namespace foundation
