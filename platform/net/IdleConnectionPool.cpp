#include "platform/net/IdleConnectionPool.h"

#include <algorithm>
#include <boost/asio/execution_context.hpp>
#include <boost/asio/io_context.hpp>
#include <vector>

#include "platform/foundation/Clock.h"
#include "platform/foundation/ExitTimeDestructor.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/Connection.h"
#include "platform/net/HTTPReadStream.h"

namespace net {
namespace {

struct IdleEntry {
  ConnectionKey key;
  std::shared_ptr<Connection> connection;
  foundation::TimePoint idleSince;
};

// Lives inside the loop's io_context, so the idle sockets are closed when the loop goes away,
// before the context that drives them is destroyed.
class PoolService final : public boost::asio::execution_context::service {
 public:
  // Of the type Asio's service registry requires; it holds nothing, so exit destroying it touches
  // nothing another thread uses.
  ZR_EXIT_TIME_DESTRUCTOR_ALLOWED_BEGIN
  static inline boost::asio::execution_context::id id;  // NOLINT: required by Asio's service registry
  ZR_EXIT_TIME_DESTRUCTOR_ALLOWED_END

  explicit PoolService(boost::asio::execution_context& context) : service(context) {}

  std::vector<IdleEntry> entries;

 private:
  void shutdown() override {
    for (auto& entry : entries) entry.connection->close();
    entries.clear();
  }
};

PoolService& poolOf(foundation::RunLoop& loop) { return boost::asio::use_service<PoolService>(loop.ioContext()); }

bool isStale(const IdleEntry& entry, foundation::TimePoint now) {
  const foundation::Duration idleFor = now - entry.idleSince;
  return idleFor.count() > HTTPReadStream::kIdleConnectionLifetime || !entry.connection->isIdleAndAlive();
}

void dropStale(std::vector<IdleEntry>& entries) {
  const auto now = foundation::Clock::current().now();
  auto stale = std::stable_partition(entries.begin(), entries.end(),
                                     [&](const IdleEntry& entry) { return !isStale(entry, now); });
  for (auto it = stale; it != entries.end(); ++it) it->connection->close();
  entries.erase(stale, entries.end());
}

}  // namespace

void IdleConnectionPool::put(foundation::RunLoop& loop, const ConnectionKey& key,
                             std::shared_ptr<Connection> connection) {
  auto& entries = poolOf(loop).entries;
  dropStale(entries);
  entries.push_back({key, std::move(connection), foundation::Clock::current().now()});
  while (entries.size() > HTTPReadStream::kMaxIdleConnections) {
    entries.front().connection->close();
    entries.erase(entries.begin());
  }
}

std::shared_ptr<Connection> IdleConnectionPool::take(foundation::RunLoop& loop, const ConnectionKey& key) {
  auto& entries = poolOf(loop).entries;
  dropStale(entries);
  auto match = std::find_if(entries.rbegin(), entries.rend(), [&](const IdleEntry& entry) { return entry.key == key; });
  if (match == entries.rend()) return nullptr;
  auto connection = std::move(match->connection);
  entries.erase(std::next(match).base());
  return connection;
}

void IdleConnectionPool::closeAll(foundation::RunLoop& loop) {
  auto& entries = poolOf(loop).entries;
  for (auto& entry : entries) entry.connection->close();
  entries.clear();
}

std::size_t IdleConnectionPool::count(foundation::RunLoop& loop) {
  auto& entries = poolOf(loop).entries;
  dropStale(entries);
  return entries.size();
}

}  // namespace net
