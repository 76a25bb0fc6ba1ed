#include "src/http/ConnectionPool.h"

#include <algorithm>

#include "platform/net/HTTPReadStream.h"

namespace http {

ConnectionPool& ConnectionPool::shared() {
  // The network thread uses the pool until the process ends, after static objects are destroyed.
  static ConnectionPool* pool = new ConnectionPool();
  return *pool;
}

namespace {
bool matches(const ConnectionRecord& record, const std::string& host, const std::string& scheme, int port) {
  return record.host == host && record.scheme == scheme && record.port == port;
}
}  // namespace

bool ConnectionPool::keepsRecord(const std::shared_ptr<ConnectionRecord>& record, const std::string& host,
                                 const std::string& scheme, int port, foundation::TimePoint now) {
  if (!record) return false;
  bool expired = record->expires && *record->expires <= now;
  if (expired) remove(record);
  return !expired && matches(*record, host, scheme, port) && !record->request;
}

std::shared_ptr<ConnectionRecord> ConnectionPool::findIdleRecord(const std::string& host, const std::string& scheme,
                                                                 int port) const {
  std::shared_ptr<ConnectionRecord> found;
  for (const auto& record : records_) {
    if (!record->request && matches(*record, host, scheme, port)) found = record;
  }
  return found;
}

std::shared_ptr<ConnectionRecord> ConnectionPool::createRecord(const std::string& host, const std::string& scheme,
                                                               int port) {
  auto record = std::make_shared<ConnectionRecord>();
  record->id = ++nextConnectionNumber_;
  record->host = host;
  record->scheme = scheme;
  record->port = port;
  records_.push_back(record);
  return record;
}

void ConnectionPool::remove(const std::shared_ptr<ConnectionRecord>& record) {
  records_.erase(std::remove(records_.begin(), records_.end(), record), records_.end());
}

void ConnectionPool::expireIdleRecords(foundation::TimePoint now) {
  std::erase_if(records_, [now](const std::shared_ptr<ConnectionRecord>& record) {
    bool expired = !record->request && record->expires && *record->expires <= now;
    if (expired && record->stream) record->stream->close();
    return expired;
  });
}

}  // namespace http
