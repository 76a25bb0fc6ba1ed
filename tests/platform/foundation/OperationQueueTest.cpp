#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"

namespace foundation {
namespace {

using namespace std::chrono_literals;

// What the operations of a test did, in order; waits have a real-time safety net only.
class Journal {
 public:
  void note(std::string event) {
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(event));
    changed_.notify_all();
  }
  std::vector<std::string> events() const {
    std::lock_guard lock(mutex_);
    return events_;
  }
  bool waitForCount(std::size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 10s, [&] { return events_.size() >= count; });
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> events_;
};

// A plain operation that notes when it is started and when its main() runs.
class NotedOperation : public Operation {
 public:
  NotedOperation(Journal& journal, std::string name) : journal_(journal), name_(std::move(name)) {}
  void start() override {
    journal_.note("start " + name_);
    Operation::start();
  }
  void main() override {
    if (RunLoop::isMainThread()) journal_.note("main thread!");
    journal_.note("main " + name_);
  }

 private:
  Journal& journal_;
  std::string name_;
};

// Stays executing after start() until the test finishes it.
class HeldOperation : public Operation {
 public:
  explicit HeldOperation(Journal& journal) : journal_(journal) {}
  bool isConcurrent() const override { return true; }
  void start() override {
    if (isCancelled()) return markFinished();
    markExecuting();
    journal_.note("start");
  }
  void finish() { markFinished(); }

 private:
  Journal& journal_;
};

// Starts where the queue is and finishes at once, noting its thread and how deeply starts nest.
class InPlaceOperation : public Operation {
 public:
  InPlaceOperation(std::vector<int>& order, int number) : order_(order), number_(number) {}
  bool isConcurrent() const override { return true; }
  bool startsWithoutBlocking() const override { return true; }
  void start() override {
    ++depth;
    maxDepth = std::max(maxDepth, depth);
    startedOn = std::this_thread::get_id();
    order_.push_back(number_);
    markExecuting();
    markFinished();
    --depth;
  }

  static inline int depth = 0;
  static inline int maxDepth = 0;
  std::thread::id startedOn;

 private:
  std::vector<int>& order_;
  int number_;
};

class OperationQueueTest : public ::testing::Test {
 protected:
  std::shared_ptr<HeldOperation> held() { return std::make_shared<HeldOperation>(journal); }
  std::shared_ptr<NotedOperation> noted(std::string name) { return std::make_shared<NotedOperation>(journal, name); }

  Journal journal;
  OperationQueue queue;
};

TEST_F(OperationQueueTest, RunsByPriorityThenOrderAddedOnceResumed) {
  queue.setSuspended(true);
  queue.setMaxConcurrentOperationCount(1);
  std::vector<std::shared_ptr<NotedOperation>> operations;
  for (auto [name, priority] : {std::pair{"a", 0}, {"b", Operation::kQueuePriorityHigh}, {"c", 0}, {"d", 10}}) {
    operations.push_back(noted(name));
    operations.back()->setQueuePriority(priority);
    ASSERT_TRUE(queue.addOperation(operations.back()));
  }
  EXPECT_EQ(queue.operationCount(), 4u);

  queue.setSuspended(false);
  queue.waitUntilAllOperationsAreFinished();

  EXPECT_EQ(journal.events(), (std::vector<std::string>{"start d", "main d", "start b", "main b", "start a", "main a",
                                                        "start c", "main c"}));
  EXPECT_EQ(queue.operationCount(), 0u);
  for (const auto& operation : operations) EXPECT_TRUE(operation->isFinished() && !operation->isExecuting());
}

TEST_F(OperationQueueTest, ConcurrentOperationsHoldTheirPlaceUntilTheySayTheyAreFinished) {
  queue.setMaxConcurrentOperationCount(2);
  std::vector<std::shared_ptr<HeldOperation>> operations;
  for (int i = 0; i < 4; ++i) {
    operations.push_back(held());
    queue.addOperation(operations.back());
  }
  ASSERT_TRUE(journal.waitForCount(2));
  EXPECT_TRUE(operations[0]->isExecuting() && operations[1]->isExecuting());
  EXPECT_EQ(queue.operationCount(), 4u);

  operations[0]->finish();
  ASSERT_TRUE(journal.waitForCount(3));
  EXPECT_TRUE(operations[2]->isExecuting());
  EXPECT_EQ(queue.operations(), (std::vector<std::shared_ptr<Operation>>{operations[1], operations[2], operations[3]}));

  queue.setMaxConcurrentOperationCount(3);  // widening starts the last one at once
  ASSERT_TRUE(journal.waitForCount(4));
  EXPECT_TRUE(operations[1]->isExecuting() && operations[2]->isExecuting() && operations[3]->isExecuting());
  for (int i = 1; i < 4; ++i) operations[i]->finish();
  queue.waitUntilAllOperationsAreFinished();
}

TEST_F(OperationQueueTest, AConcurrentOperationMayDoItsWorkInMainAndFinishLater) {
  class Concurrent : public NotedOperation {
   public:
    using NotedOperation::NotedOperation;
    bool isConcurrent() const override { return true; }
    void finish() { markFinished(); }
  };
  auto operation = std::make_shared<Concurrent>(journal, "c");
  queue.addOperation(operation);
  ASSERT_TRUE(journal.waitForCount(2));
  EXPECT_TRUE(operation->isExecuting());
  EXPECT_EQ(queue.operationCount(), 1u);
  operation->finish();
  queue.waitUntilAllOperationsAreFinished();
  EXPECT_TRUE(operation->isFinished() && !operation->isExecuting());
}

TEST_F(OperationQueueTest, CancelledOperationsAreStillStartedSoTheyCanFinish) {
  auto runningOne = held();
  queue.addOperation(runningOne);
  ASSERT_TRUE(journal.waitForCount(1));
  queue.setSuspended(true);
  auto waiting = noted("waiting");
  queue.addOperation(waiting);

  queue.cancelAllOperations();
  EXPECT_TRUE(runningOne->isCancelled() && runningOne->isExecuting());
  EXPECT_TRUE(waiting->isCancelled() && waiting->isReady());
  EXPECT_EQ(queue.operationCount(), 2u);

  queue.setSuspended(false);
  ASSERT_TRUE(journal.waitForCount(2));
  runningOne->finish();
  queue.waitUntilAllOperationsAreFinished();
  EXPECT_EQ(journal.events(), (std::vector<std::string>{"start", "start waiting"}));  // no main for it
  EXPECT_TRUE(waiting->isFinished());
}

TEST_F(OperationQueueTest, DependenciesAndCompletionHandlersOrderTheWork) {
  auto first = noted("first");
  auto second = noted("second");
  second->addDependency(first);
  EXPECT_FALSE(second->isReady());
  std::size_t countInHandler = 0;
  first->setCompletionHandler([&] {
    journal.note(first->isFinished() ? "first done" : "first not finished!");
    countInHandler = queue.operationCount();
  });
  queue.addOperation(second);
  queue.addOperation(first);
  queue.waitUntilAllOperationsAreFinished();
  EXPECT_EQ(journal.events(),
            (std::vector<std::string>{"start first", "main first", "first done", "start second", "main second"}));
  EXPECT_EQ(countInHandler, 2u);  // the queue still held it
}

TEST_F(OperationQueueTest, OperationsThatStartWithoutBlockingStartInPlaceOneAfterAnother) {
  queue.setMaxConcurrentOperationCount(1);
  queue.setSuspended(true);
  std::vector<int> order;
  std::vector<std::shared_ptr<InPlaceOperation>> operations;
  for (int i = 0; i < 2000; ++i) {
    operations.push_back(std::make_shared<InPlaceOperation>(order, i));
    queue.addOperation(operations.back());
  }

  queue.setSuspended(false);  // each one finishing starts the next, all on this thread

  EXPECT_EQ(queue.operationCount(), 0u);
  ASSERT_EQ(order.size(), 2000u);
  for (int i = 0; i < 2000; ++i) EXPECT_EQ(order[i], i);
  for (const auto& operation : operations) EXPECT_EQ(operation->startedOn, std::this_thread::get_id());
  EXPECT_EQ(InPlaceOperation::maxDepth, 1) << "a start made during another waits for it to return";
}

TEST_F(OperationQueueTest, RefusesOperationsItCannotTake) {
  OperationQueue other;
  other.setSuspended(true);
  auto queued = noted("queued");
  ASSERT_TRUE(other.addOperation(queued));
  EXPECT_FALSE(queue.addOperation(queued));
  EXPECT_FALSE(queue.addOperation(nullptr));
  auto done = noted("done");
  done->start();
  EXPECT_FALSE(queue.addOperation(done));
  EXPECT_EQ(queue.operationCount(), 0u);
  other.setSuspended(false);
  other.waitUntilAllOperationsAreFinished();
}

}  // namespace
}  // namespace foundation
