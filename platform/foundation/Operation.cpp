#include "platform/foundation/Operation.h"

#include <algorithm>

namespace foundation {
namespace {

std::mutex& dependencyLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

void Operation::start() {
  if (isFinished()) return;
  if (isCancelled()) {
    markFinished();
    return;
  }
  if (executing_.exchange(true)) return;  // started twice
  main();
  if (!isConcurrent()) markFinished();
}

void Operation::cancel() {
  if (cancelled_.exchange(true)) return;
  notifyReadinessChanged();
}

bool Operation::isReady() const {
  if (isCancelled()) return true;
  std::lock_guard lock(dependencyLock());
  return std::all_of(dependencies_.begin(), dependencies_.end(),
                     [](const std::shared_ptr<Operation>& dependency) { return dependency->isFinished(); });
}

void Operation::addDependency(std::shared_ptr<Operation> operation) {
  if (!operation || operation.get() == this) return;
  std::lock_guard lock(dependencyLock());
  if (std::find(dependencies_.begin(), dependencies_.end(), operation) != dependencies_.end()) return;
  operation->dependents_.push_back(weak_from_this());
  dependencies_.push_back(std::move(operation));
}

void Operation::removeDependency(const std::shared_ptr<Operation>& operation) {
  {
    std::lock_guard lock(dependencyLock());
    auto found = std::find(dependencies_.begin(), dependencies_.end(), operation);
    if (found == dependencies_.end()) return;
    dependencies_.erase(found);
    std::erase_if(operation->dependents_, [this](const std::weak_ptr<Operation>& dependent) {
      auto alive = dependent.lock();
      return !alive || alive.get() == this;
    });
  }
  notifyReadinessChanged();
}

std::vector<std::shared_ptr<Operation>> Operation::dependencies() const {
  std::lock_guard lock(dependencyLock());
  return dependencies_;
}

void Operation::setCompletionHandler(std::function<void()> handler) {
  std::lock_guard lock(mutex_);
  completionHandler_ = std::move(handler);
}

void Operation::markExecuting() {
  if (!isFinished()) executing_.store(true);
}

void Operation::markFinished() {
  const auto keepAlive = weak_from_this().lock();  // the queue lets go of it below
  std::function<void()> completion;
  std::shared_ptr<OperationObserver> observer;
  {
    std::lock_guard lock(mutex_);
    if (finished_.load()) return;
    executing_.store(false);
    finished_.store(true);
    completion = std::move(completionHandler_);
    completionHandler_ = nullptr;
    observer = std::move(observer_);
    observer_ = nullptr;
  }
  if (completion) completion();
  std::vector<std::shared_ptr<Operation>> dependents;
  {
    std::lock_guard lock(dependencyLock());
    for (const auto& dependent : dependents_) {
      if (auto alive = dependent.lock()) dependents.push_back(std::move(alive));
    }
  }
  for (const auto& dependent : dependents) dependent->notifyReadinessChanged();
  if (observer) observer->operationFinished(*this);
}

bool Operation::attachObserver(std::shared_ptr<OperationObserver> observer) {
  std::lock_guard lock(mutex_);
  if (attached_) return false;
  attached_ = true;
  observer_ = std::move(observer);
  return true;
}

void Operation::notifyReadinessChanged() {
  std::shared_ptr<OperationObserver> observer;
  {
    std::lock_guard lock(mutex_);
    observer = observer_;
  }
  if (observer) observer->operationBecameReady();
}

}  // namespace foundation
