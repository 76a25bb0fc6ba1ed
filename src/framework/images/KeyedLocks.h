#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace framework {

// One lock per key, made when first wanted and dropped when nobody holds or waits for it, so
// that threads working on the same key take turns while the others go on. Any thread.
class KeyedLocks {
 private:
  struct Slot {
    std::mutex mutex;
    int users = 0;  // holders and waiters; guarded by KeyedLocks::mutex_
  };

 public:
  // Holds a key's lock for its lifetime.
  class Guard {
   public:
    Guard(Guard&& other) noexcept;
    Guard& operator=(Guard&&) = delete;
    ~Guard();

   private:
    friend class KeyedLocks;
    Guard(KeyedLocks& owner, std::string key, std::shared_ptr<Slot> slot);

    KeyedLocks* owner_;
    std::string key_;
    std::shared_ptr<Slot> slot_;
  };

  // Any thread. Blocks until the key's lock is free, then holds it until the guard goes away.
  [[nodiscard]] Guard lock(const std::string& key);
  // Any thread. How many keys are held or waited for now.
  std::size_t activeKeyCount() const;

 private:
  void release(const std::string& key, const std::shared_ptr<Slot>& slot);

  mutable std::mutex mutex_;
  std::unordered_map<std::string, std::shared_ptr<Slot>> slots_;
};

}  // namespace framework
