#pragma once

#include <functional>
#include <stdexcept>
#include <string>

#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/ProxySettings.h"
#include "tests/http/NginxServer.h"
#include "tests/http/TemporaryDirectory.h"

namespace bench {

// The set-up every engine benchmark against nginx shares: the main loop on this thread, a home
// of its own, direct connections, and one nginx serving the files that `fill` writes into its
// folder. Throws when nginx does not start, since no figure would mean anything.
class LoopbackNginx {
 public:
  explicit LoopbackNginx(const std::function<void(const std::string& www)>& fill) : server_(false) {
    foundation::RunLoop::main();
    foundation::Paths::setHomeForTesting(home_.path().string());
    net::ProxySettings::setSystemForTesting(net::ProxySettings());
    fill(server_.www());
    std::string failure = server_.start();
    if (!failure.empty()) throw std::runtime_error(failure);
  }

  std::string url(const std::string& path) const { return server_.url(path); }
  std::string home() const { return home_.path().string(); }

 private:
  http::test::TemporaryDirectory home_;
  http::test::NginxServer server_;
};

}  // namespace bench
