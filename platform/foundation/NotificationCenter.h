#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Value.h"

namespace foundation {

// A named message: who posted it (usually the poster itself as an Object reference, or null) and
// a user-info dictionary.
struct Notification {
  std::string name;
  Value object;
  Dictionary userInfo;
};

// Identifies one registration; a default-made token identifies none.
class ObserverToken {
 public:
  ObserverToken() = default;
  bool isValid() const { return id_ != 0; }
  friend bool operator==(const ObserverToken&, const ObserverToken&) = default;

 private:
  friend class NotificationCenter;
  explicit ObserverToken(std::uint64_t id) : id_(id) {}
  std::uint64_t id_ = 0;
};

// Delivers notifications synchronously on the posting thread to the observers registered for
// their name (and, when an observer gave one, their object), in the order of registration.
// Observers may be added or removed from any thread, also from inside a delivery: one removed
// during a delivery is not called afterwards; one added during a delivery first hears the next
// post. A removal on one thread does not wait for a delivery already under way on another.
class NotificationCenter {
 public:
  using Handler = std::function<void(const Notification&)>;

  NotificationCenter() = default;
  NotificationCenter(const NotificationCenter&) = delete;
  NotificationCenter& operator=(const NotificationCenter&) = delete;

  // Any thread. The process-wide centre.
  static NotificationCenter& defaultCenter();

  // Any thread. Calls `handler` for every notification named `name` whose object matches `object`
  // (a null `object` matches any; an Object reference matches the same object, other values
  // match equal values). `owner` (may be null) lets removeObserver(owner) drop all of its
  // registrations at once.
  ObserverToken addObserver(const void* owner, std::string name, Handler handler, Value object = {});
  // Any thread. Removes one registration; unknown tokens are ignored.
  void removeObserver(ObserverToken token);
  // Any thread. Removes every registration of `owner`.
  void removeObserver(const void* owner);
  // Any thread. Removes the registrations of `owner` for `name` (and, when `object` is not null,
  // for that object only).
  void removeObserver(const void* owner, std::string_view name, const Value& object = {});

  // Any thread. Delivers on the calling thread before returning.
  void postNotification(const Notification& notification);
  void postNotificationName(std::string name, Value object = {}, Dictionary userInfo = {});

 private:
  struct Registration;
  void removeWhere(const std::function<bool(const Registration&)>& predicate);

  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<Registration>> registrations_;
  std::uint64_t lastId_ = 0;
};

}  // namespace foundation
