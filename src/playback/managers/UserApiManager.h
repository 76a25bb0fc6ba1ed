#pragma once

#include <memory>

#include "src/framework/request/DataRequestDelegate.h"

namespace playback {

// The user module's calls made on a delegate's behalf. Main thread only.
class UserApiManager {
 public:
  // Lists the social-network accounts bound to the logged-in user; the delegate hears the reply.
  static void listThirdAccounts(std::shared_ptr<framework::DataRequestDelegate> delegate);
};

}  // namespace playback
