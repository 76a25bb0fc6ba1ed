#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/foundation/Operation.h"

namespace foundation {

// Runs operations on a small pool of worker threads: at most maxConcurrentOperationCount at once,
// the ready operation of highest priority first and, among equals, the one added first. One
// whose start() returns at once (startsWithoutBlocking()) is started on the thread that adds it
// or makes room for it, which spares a thread hop per operation.
// Operations leave the queue when they finish. Every method may be called from any thread.
// Destroying the queue lets the operations in it run on to their end.
class OperationQueue {
 public:
  // No limit of its own: as many at once as there are ready operations.
  static constexpr int kDefaultMaxConcurrentOperationCount = -1;

  OperationQueue();
  virtual ~OperationQueue();
  OperationQueue(const OperationQueue&) = delete;
  OperationQueue& operator=(const OperationQueue&) = delete;

  // Any thread. Queues `operation`; false (and nothing changes) when it is null, finished,
  // executing or already in a queue.
  virtual bool addOperation(std::shared_ptr<Operation> operation);
  // Any thread. Cancels every operation in the queue, running or not. An operation that had not
  // started is still started (once the queue is not suspended) so that it can finish itself.
  virtual void cancelAllOperations();

  // Any thread. The operations not yet finished, in the order they were added.
  std::vector<std::shared_ptr<Operation>> operations() const;
  // Any thread.
  std::size_t operationCount() const;

  // Any thread. A new limit applies to the next starts; running operations are not stopped.
  // Values below 1 other than kDefaultMaxConcurrentOperationCount count as 1.
  int maxConcurrentOperationCount() const;
  void setMaxConcurrentOperationCount(int count);

  // Any thread. A suspended queue starts nothing; operations already running go on.
  bool isSuspended() const;
  void setSuspended(bool suspended);

  // Any thread but a worker of this queue. Blocks until the queue holds no operation (forever if
  // it is suspended with operations in it).
  void waitUntilAllOperationsAreFinished() const;

 private:
  class State;
  std::shared_ptr<State> state_;
};

}  // namespace foundation
