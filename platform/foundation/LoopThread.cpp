#include <pthread.h>

#include <atomic>
#include <future>
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

RunLoop& LoopThread::loop() { return *impl_->loop; }

}  // namespace foundation
