#include "platform/foundation/NotificationCenter.h"

#include <algorithm>
#include <atomic>

namespace foundation {

struct NotificationCenter::Registration {
  std::uint64_t id;
  const void* owner;
  std::string name;
  Value object;
  Handler handler;
  std::atomic<bool> removed{false};

  bool matches(const Notification& notification) const {
    return name == notification.name && (object.isNull() || object == notification.object);
  }
};

NotificationCenter& NotificationCenter::defaultCenter() {
  static auto* center = new NotificationCenter();  // lives for the run; observers may post at exit
  return *center;
}

ObserverToken NotificationCenter::addObserver(const void* owner, std::string name, Handler handler, Value object) {
  if (!handler) return ObserverToken();
  std::lock_guard lock(mutex_);
  auto registration = std::make_shared<Registration>();
  registration->id = ++lastId_;
  registration->owner = owner;
  registration->name = std::move(name);
  registration->object = std::move(object);
  registration->handler = std::move(handler);
  registrations_.push_back(std::move(registration));
  return ObserverToken(lastId_);
}

void NotificationCenter::removeObserver(ObserverToken token) {
  if (!token.isValid()) return;
  removeWhere([&token](const Registration& registration) { return registration.id == token.id_; });
}

void NotificationCenter::removeObserver(const void* owner) {
  if (!owner) return;
  removeWhere([owner](const Registration& registration) { return registration.owner == owner; });
}

void NotificationCenter::removeObserver(const void* owner, std::string_view name, const Value& object) {
  if (!owner) return;
  removeWhere([&](const Registration& registration) {
    return registration.owner == owner && registration.name == name &&
           (object.isNull() || registration.object == object);
  });
}

void NotificationCenter::removeWhere(const std::function<bool(const Registration&)>& predicate) {
  std::vector<std::shared_ptr<Registration>> removed;  // handlers are destroyed outside the lock
  {
    std::lock_guard lock(mutex_);
    auto kept = std::stable_partition(registrations_.begin(), registrations_.end(),
                                      [&predicate](const auto& registration) { return !predicate(*registration); });
    for (auto it = kept; it != registrations_.end(); ++it) {
      (*it)->removed.store(true);
      removed.push_back(std::move(*it));
    }
    registrations_.erase(kept, registrations_.end());
  }
}

void NotificationCenter::postNotification(const Notification& notification) {
  std::vector<std::shared_ptr<Registration>> receivers;
  {
    std::lock_guard lock(mutex_);
    for (const auto& registration : registrations_) {
      if (registration->matches(notification)) receivers.push_back(registration);
    }
  }
  for (const auto& receiver : receivers) {
    if (!receiver->removed.load()) receiver->handler(notification);
  }
}

void NotificationCenter::postNotificationName(std::string name, Value object, Dictionary userInfo) {
  postNotification(Notification{std::move(name), std::move(object), std::move(userInfo)});
}

}  // namespace foundation
