#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "platform/foundation/RunLoop.h"

namespace foundation {

struct LoopThread::Impl {
  std::thread thread;
  RunLoop* loop = nullptr;
  std::atomic<bool> quitting{false};  // set on the loop's own thread, so the loop outlives every use
};

LoopThread::LoopThread(std::string name) : name_(std::move(name)), impl_(std::make_unique<Impl>()) {
  std::promise<RunLoop*> started;
  auto loopReady = started.get_future();
  impl_->thread = std::thread([impl = impl_.get(), started = std::move(started), threadName = name_]() mutable {
    pthread_setname_np(pthread_self(), threadName.substr(0, 15).c_str());  // the kernel keeps 15 bytes
    RunLoop& loop = RunLoop::current();
    started.set_value(&loop);
    while (!impl->quitting.load()) loop.run();
  });
  impl_->loop = loopReady.get();
}

LoopThread::~LoopThread() {
  Impl* impl = impl_.get();
  impl->loop->post([impl] {
    impl->quitting.store(true);
    impl->loop->stop();
  });
  impl->thread.join();
}

bool LoopThread::holdWithin(Duration patience) {
  // The hold would wait behind the work that asked for it.
  if (impl_->loop->isCurrent()) return true;
  struct Hold {
    std::mutex mutex;
    std::condition_variable changed;
    bool held = false;  // guarded by mutex
  };
  // Never freed: the held thread waits on it until the process ends.
  auto* hold = new Hold();
  impl_->loop->post([hold] {
    std::unique_lock lock(hold->mutex);
    hold->held = true;
    hold->changed.notify_all();
    hold->changed.wait(lock, [] { return false; });
  });
  std::unique_lock lock(hold->mutex);
  return hold->changed.wait_for(lock, std::chrono::duration_cast<std::chrono::steady_clock::duration>(patience),
                                [hold] { return hold->held; });
}

RunLoop& LoopThread::loop() { return *impl_->loop; }

}  // namespace foundation
