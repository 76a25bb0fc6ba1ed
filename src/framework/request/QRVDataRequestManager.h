#pragma once

#include <memory>
#include <vector>

namespace framework {

class QRVBaseDataRequest;

// Keeps every live data request alive from its factory to its release: the factories hand each
// new request here and the request takes itself out when it is done. Main thread only.
class QRVDataRequestManager {
 public:
  QRVDataRequestManager(const QRVDataRequestManager&) = delete;
  QRVDataRequestManager& operator=(const QRVDataRequestManager&) = delete;

  // Main thread. The one manager, made on first use; it lives for the whole run.
  static QRVDataRequestManager& sharedManager();

  // Main thread.
  void addRequest(std::shared_ptr<QRVBaseDataRequest> request);
  // Main thread. Drops every entry that is this request.
  void removeRequest(const QRVBaseDataRequest& request);
  // Main thread. Starts over with no requests.
  void restore();

  // Main thread. The live requests, oldest first.
  const std::vector<std::shared_ptr<QRVBaseDataRequest>>& requests() const { return requests_; }

 private:
  QRVDataRequestManager() { restore(); }

  std::vector<std::shared_ptr<QRVBaseDataRequest>> requests_;
};

}  // namespace framework
