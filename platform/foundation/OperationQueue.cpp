#include "platform/foundation/OperationQueue.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/foundation/WorkerPool.h"

namespace foundation {

// What the queue holds. The operations in it hold it too until they finish, so work goes on
// when the OperationQueue object itself is gone.
class OperationQueue::State final : public OperationObserver, public std::enable_shared_from_this<State> {
 public:
  bool add(const std::shared_ptr<Operation>& operation) {
    if (!operation || operation->isFinished() || operation->isExecuting()) return false;
    if (!operation->attachObserver(shared_from_this())) return false;
    {
      std::lock_guard lock(mutex_);
      entries_.push_back(Entry{operation, false});
    }
    if (operation->isFinished()) {
      operationFinished(*operation);  // it finished on another thread before it was listed
    } else {
      startReadyOperations();
    }
    return true;
  }

  std::vector<std::shared_ptr<Operation>> operations() const {
    std::lock_guard lock(mutex_);
    std::vector<std::shared_ptr<Operation>> result;
    result.reserve(entries_.size());
    for (const auto& entry : entries_) result.push_back(entry.operation);
    return result;
  }

  std::size_t count() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
  }

  int maxCount() const {
    std::lock_guard lock(mutex_);
    return maxCount_;
  }

  void setMaxCount(int count) {
    {
      std::lock_guard lock(mutex_);
      maxCount_ = count == kDefaultMaxConcurrentOperationCount ? count : std::max(count, 1);
    }
    startReadyOperations();
  }

  bool suspended() const {
    std::lock_guard lock(mutex_);
    return suspended_;
  }

  void setSuspended(bool suspended) {
    {
      std::lock_guard lock(mutex_);
      suspended_ = suspended;
    }
    startReadyOperations();
  }

  void waitUntilEmpty() const {
    std::unique_lock lock(mutex_);
    emptied_.wait(lock, [this] { return entries_.empty(); });
  }

  void operationBecameReady() override { startReadyOperations(); }

  void operationFinished(Operation& operation) override {
    {
      std::lock_guard lock(mutex_);
      auto found = std::find_if(entries_.begin(), entries_.end(),
                                [&operation](const Entry& entry) { return entry.operation.get() == &operation; });
      if (found == entries_.end()) return;
      if (found->started) --running_;
      entries_.erase(found);
      if (entries_.empty()) emptied_.notify_all();
    }
    startReadyOperations();
  }

 private:
  struct Entry {
    std::shared_ptr<Operation> operation;
    bool started;
  };

  bool hasRoom() const {
    return !suspended_ &&
           (maxCount_ == kDefaultMaxConcurrentOperationCount || running_ < static_cast<std::size_t>(maxCount_));
  }

  // The ready operation to start next: highest priority, then first added. Mutex held.
  Entry* nextToStart() {
    Entry* best = nullptr;
    for (auto& entry : entries_) {
      if (entry.started || !entry.operation->isReady()) continue;
      if (!best || entry.operation->queuePriority() > best->operation->queuePriority()) best = &entry;
    }
    return best;
  }

  void startReadyOperations() {
    std::vector<std::shared_ptr<Operation>> starting;
    {
      std::lock_guard lock(mutex_);
      while (hasRoom()) {
        Entry* next = nextToStart();
        if (!next) break;
        next->started = true;
        ++running_;
        starting.push_back(next->operation);
      }
    }
    for (auto& operation : starting) {
      if (operation->startsWithoutBlocking())
        startInPlace(std::move(operation));
      else
        WorkerPool::shared().run([operation = std::move(operation)] { operation->start(); });
    }
  }

  // An operation started in place may finish at once and so start the next one: those are
  // started by the outermost call, in order, so that a long queue cannot deepen the stack.
  static void startInPlace(std::shared_ptr<Operation> operation) {
    thread_local std::deque<std::shared_ptr<Operation>>* pending = nullptr;
    if (pending) {
      pending->push_back(std::move(operation));
      return;
    }
    std::deque<std::shared_ptr<Operation>> starting{std::move(operation)};
    pending = &starting;
    while (!starting.empty()) {
      std::shared_ptr<Operation> next = std::move(starting.front());
      starting.pop_front();
      next->start();
    }
    pending = nullptr;
  }

  mutable std::mutex mutex_;  // guards the fields below
  mutable std::condition_variable emptied_;
  std::vector<Entry> entries_;  // not yet finished, in the order added
  std::size_t running_ = 0;     // started and not yet finished
  int maxCount_ = kDefaultMaxConcurrentOperationCount;
  bool suspended_ = false;
};

OperationQueue::OperationQueue() : state_(std::make_shared<State>()) {}

OperationQueue::~OperationQueue() = default;

bool OperationQueue::addOperation(std::shared_ptr<Operation> operation) { return state_->add(operation); }

void OperationQueue::cancelAllOperations() {
  for (const auto& operation : state_->operations()) operation->cancel();
}

std::vector<std::shared_ptr<Operation>> OperationQueue::operations() const { return state_->operations(); }

std::size_t OperationQueue::operationCount() const { return state_->count(); }

int OperationQueue::maxConcurrentOperationCount() const { return state_->maxCount(); }

void OperationQueue::setMaxConcurrentOperationCount(int count) { state_->setMaxCount(count); }

bool OperationQueue::isSuspended() const { return state_->suspended(); }

void OperationQueue::setSuspended(bool suspended) { state_->setSuspended(suspended); }

void OperationQueue::waitUntilAllOperationsAreFinished() const { state_->waitUntilEmpty(); }

}  // namespace foundation
