#include "src/framework/request/QRVDataRequestManager.h"

#include <algorithm>

#include "src/framework/request/QRVBaseDataRequest.h"

namespace framework {

QRVDataRequestManager& QRVDataRequestManager::sharedManager() {
  static QRVDataRequestManager* manager = new QRVDataRequestManager();  // lives for the run
  return *manager;
}

void QRVDataRequestManager::addRequest(std::shared_ptr<QRVBaseDataRequest> request) {
  if (request) requests_.push_back(std::move(request));
}

void QRVDataRequestManager::removeRequest(const QRVBaseDataRequest& request) {
  // The entries leave the array before they are released, so a request destroyed here that
  // starts or ends another request finds the array in order.
  std::vector<std::shared_ptr<QRVBaseDataRequest>> removed;
  auto keep = std::stable_partition(requests_.begin(), requests_.end(),
                                    [&](const auto& entry) { return entry.get() != &request; });
  std::move(keep, requests_.end(), std::back_inserter(removed));
  requests_.erase(keep, requests_.end());
}

void QRVDataRequestManager::restore() {
  std::vector<std::shared_ptr<QRVBaseDataRequest>> removed;
  removed.swap(requests_);
}

}  // namespace framework
