#include "src/framework/cache/DataEnvironment.h"

#include "src/framework/cache/DataCacheManager.h"

namespace framework {

DataEnvironment& DataEnvironment::sharedDataEnvironment() {
  static auto* instance = new DataEnvironment();  // lives for the run
  return *instance;
}

foundation::Status DataEnvironment::clearNetworkData() { return DataCacheManager::sharedManager().clearAllCache(); }

}  // namespace framework
