#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Clock.h"

namespace net {
class HTTPReadStream;
}

namespace http {

// One persistent connection as the engine tracks it. Streams of the connection carry `id` as
// their stream ID, which is how the platform knows to share one socket between them.
struct ConnectionRecord {
  int id = 0;
  std::string host;
  int port = 0;  // as written in the URL; 0 when the URL names none
  std::string scheme;
  std::optional<std::uint32_t> request;         // requestID of the user; absent while idle
  std::shared_ptr<net::HTTPReadStream> stream;  // last stream sent; kept open while idle
  std::optional<foundation::TimePoint> expires;
};

// The process-wide list of connection records, in creation order, with the numbers it hands out.
// Every member is used under lock(), the engine's connections lock.
class ConnectionPool {
 public:
  // Any thread. The one pool of the process.
  static ConnectionPool& shared();

  // The connections lock: guards the records, both counters and the running-request count.
  std::recursive_mutex& lock() { return lock_; }

  // Under lock(). Whether a request may keep `record` for a URL with these keys now (Part of the
  // reuse rule): same host, scheme and port, not expired, and not in use. An expired record is
  // removed from the pool.
  bool keepsRecord(const std::shared_ptr<ConnectionRecord>& record, const std::string& host, const std::string& scheme,
                   int port, foundation::TimePoint now);
  // Under lock(). The last idle record matching the keys, or nullptr.
  std::shared_ptr<ConnectionRecord> findIdleRecord(const std::string& host, const std::string& scheme, int port) const;
  // Under lock(). A new record with the next connection number, appended to the pool.
  std::shared_ptr<ConnectionRecord> createRecord(const std::string& host, const std::string& scheme, int port);
  // Under lock(). Removes the record (if present).
  void remove(const std::shared_ptr<ConnectionRecord>& record);
  // Under lock(). Closes and removes every idle record whose expiry has come.
  void expireIdleRecords(foundation::TimePoint now);
  // Under lock(). The next request number; the first is 1.
  std::uint32_t nextRequestNumber() { return ++nextRequestNumber_; }

  // Under lock(); for tests and diagnostics.
  std::size_t size() const { return records_.size(); }
  const std::vector<std::shared_ptr<ConnectionRecord>>& records() const { return records_; }

 private:
  ConnectionPool() = default;

  std::recursive_mutex lock_;
  std::vector<std::shared_ptr<ConnectionRecord>> records_;
  int nextConnectionNumber_ = 0;
  std::uint32_t nextRequestNumber_ = 0;
};

}  // namespace http
