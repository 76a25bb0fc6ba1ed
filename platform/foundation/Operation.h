#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace foundation {

class Operation;

// What an operation queue learns from the operations it holds. Called on whichever thread
// changed the operation, with no lock of the operation held.
class OperationObserver {
 public:
  virtual ~OperationObserver() = default;
  // The operation may have become ready (cancelled, or a dependency finished).
  virtual void operationBecameReady() = 0;
  virtual void operationFinished(Operation& operation) = 0;
};

// A unit of work with the states ready, executing, finished and cancelled; held by
// std::shared_ptr. A plain operation does its work in main(): start() runs main() on the calling
// thread and finishes it. A concurrent operation (isConcurrent() true) stays executing after
// start() returns until it calls markFinished(); one that overrides start() calls markExecuting()
// as it begins. Subclasses that want shared_from_this() cast this base's.
class Operation : public std::enable_shared_from_this<Operation> {
 public:
  // Named priorities; any int is allowed and higher runs first.
  static constexpr int kQueuePriorityVeryLow = -8;
  static constexpr int kQueuePriorityLow = -4;
  static constexpr int kQueuePriorityNormal = 0;
  static constexpr int kQueuePriorityHigh = 4;
  static constexpr int kQueuePriorityVeryHigh = 8;

  Operation() = default;
  virtual ~Operation() = default;
  Operation(const Operation&) = delete;
  Operation& operator=(const Operation&) = delete;

  // Any thread (a queue calls it on one of its workers, or in place when startsWithoutBlocking()
  // says so). Runs main() and then, unless the
  // operation is concurrent, finishes it; a cancelled operation finishes without running main();
  // a finished or executing one is left alone. Overrides must finish a cancelled operation too.
  virtual void start();
  // The thread that called start(). The work of a plain operation.
  virtual void main() {}
  // Any thread. Whether the operation stays executing after start() returns.
  virtual bool isConcurrent() const { return false; }
  // Any thread. Whether start() only hands the work to another thread and returns at once; a
  // queue then starts it on the thread that makes room for it rather than waking a worker.
  virtual bool startsWithoutBlocking() const { return false; }
  // Any thread. Marks the operation cancelled (it becomes ready); work under way looks at
  // isCancelled() to stop early. Overrides must call this base.
  virtual void cancel();

  // Any thread.
  bool isCancelled() const { return cancelled_.load(); }
  bool isExecuting() const { return executing_.load(); }
  bool isFinished() const { return finished_.load(); }
  // Any thread. Cancelled, or every dependency has finished.
  bool isReady() const;

  // Any thread. This operation will not be ready before `operation` has finished.
  void addDependency(std::shared_ptr<Operation> operation);
  void removeDependency(const std::shared_ptr<Operation>& operation);
  std::vector<std::shared_ptr<Operation>> dependencies() const;

  // Any thread. Read by the queue each time it picks the next operation to start.
  int queuePriority() const { return priority_.load(); }
  void setQueuePriority(int priority) { priority_.store(priority); }

  // Any thread. Called once, on the thread that finishes the operation, after it is finished and
  // before its queue lets go of it.
  void setCompletionHandler(std::function<void()> handler);

 protected:
  // The operation's own thread. A concurrent operation's start() calls this as it begins.
  void markExecuting();
  // Any thread. Ends the operation: no longer executing, finished; runs the completion handler and
  // tells the queue. Later calls do nothing.
  void markFinished();

 private:
  friend class OperationQueue;
  // Any thread. Fails (returns false) when the operation already belongs to a queue. The operation
  // holds its queue until it finishes, so a queue's work outlives the queue object.
  bool attachObserver(std::shared_ptr<OperationObserver> observer);
  void notifyReadinessChanged();

  std::atomic<bool> cancelled_{false};
  std::atomic<bool> executing_{false};
  std::atomic<bool> finished_{false};
  std::atomic<int> priority_{kQueuePriorityNormal};

  // Guarded by one process-wide lock, so that two operations can depend on each other's lists.
  std::vector<std::shared_ptr<Operation>> dependencies_;
  std::vector<std::weak_ptr<Operation>> dependents_;

  mutable std::mutex mutex_;  // guards the fields below
  std::function<void()> completionHandler_;
  std::shared_ptr<OperationObserver> observer_;
  bool attached_ = false;
};

}  // namespace foundation
