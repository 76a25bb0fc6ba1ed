#include "src/framework/images/KeyedLocks.h"

namespace framework {

KeyedLocks::Guard::Guard(KeyedLocks& owner, std::string key, std::shared_ptr<Slot> slot)
    : owner_(&owner), key_(std::move(key)), slot_(std::move(slot)) {}

KeyedLocks::Guard::Guard(Guard&& other) noexcept
    : owner_(other.owner_), key_(std::move(other.key_)), slot_(std::move(other.slot_)) {}

KeyedLocks::Guard::~Guard() {
  if (slot_) owner_->release(key_, slot_);
}

KeyedLocks::Guard KeyedLocks::lock(const std::string& key) {
  std::shared_ptr<Slot> slot;
  {
    std::lock_guard lock(mutex_);
    auto& entry = slots_[key];
    if (!entry) entry = std::make_shared<Slot>();
    ++entry->users;
    slot = entry;
  }
  slot->mutex.lock();
  return Guard(*this, key, std::move(slot));
}

std::size_t KeyedLocks::activeKeyCount() const {
  std::lock_guard lock(mutex_);
  return slots_.size();
}

void KeyedLocks::release(const std::string& key, const std::shared_ptr<Slot>& slot) {
  slot->mutex.unlock();
  std::lock_guard lock(mutex_);
  if (--slot->users == 0) slots_.erase(key);
}

}  // namespace framework
