#pragma once

#include <string>

#include "platform/foundation/Result.h"

namespace framework {

// A default API host and the means to wipe the data cache. Main thread only.
class DataEnvironment {
 public:
  DataEnvironment(const DataEnvironment&) = delete;
  DataEnvironment& operator=(const DataEnvironment&) = delete;

  static DataEnvironment& sharedDataEnvironment();

  const std::string& urlRequestHost() const { return urlRequestHost_; }
  void setUrlRequestHost(std::string host) { urlRequestHost_ = std::move(host); }

  // Empties both parts of the data cache.
  foundation::Status clearNetworkData();

 private:
  DataEnvironment() = default;

  std::string urlRequestHost_ = "http://www.zunoradio.com";
};

}  // namespace framework
