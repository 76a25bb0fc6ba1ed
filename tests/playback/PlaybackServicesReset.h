#pragma once

#include <memory>

#include "platform/net/ReachabilityManualSource.h"
#include "src/framework/network/NetWorkUitil.h"
#include "src/playback/offline/DBManager.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/services/shell/AppDelegate.h"

namespace playback::testing {

// Puts the network on the test's manual source and starts the shell, the offline database and
// the download manager afresh, as a new run of the application would.
inline void resetPlaybackServices(const std::shared_ptr<net::ReachabilityManualSource>& network) {
  net::ReachabilitySource::setSystemForTesting(network);
  framework::NetWorkUitil::resetDefaultUitilForTesting();
  services::AppDelegate::resetForTesting();
  DBManager::resetSharedManagerForTesting();
  DownloadManager::resetSharedManagerForTesting();
}

}  // namespace playback::testing
