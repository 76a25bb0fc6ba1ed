#pragma once

#include "platform/foundation/Error.h"

namespace framework {

class QRVBaseDataRequest;

// What a data request tells the object that asked for it, always on the main thread. Every
// method is optional: the defaults do nothing, which is what a delegate that does not implement
// one hears.
class DataRequestDelegate {
 public:
  virtual ~DataRequestDelegate() = default;

  virtual void requestDidStartLoad(QRVBaseDataRequest& /*request*/) {}
  virtual void requestDidFinishLoad(QRVBaseDataRequest& /*request*/) {}
  virtual void requestDidCancelLoad(QRVBaseDataRequest& /*request*/) {}
  // A file download's progress, from 0 to 1; never repeated and never going back.
  virtual void requestProgressChanged(QRVBaseDataRequest& /*request*/, float /*progress*/) {}
  virtual void requestDidFailLoadWithError(QRVBaseDataRequest& /*request*/, const foundation::ErrorPtr& /*error*/) {}
};

}  // namespace framework
