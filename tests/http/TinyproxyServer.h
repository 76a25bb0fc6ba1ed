#pragma once

#include <signal.h>

#include <string>

#include "tests/http/ServerProcess.h"
#include "tests/http/TemporaryDirectory.h"

namespace http::test {

// A real tinyproxy forward proxy in the foreground on a free loopback port, asking for Basic
// proxy credentials.
class TinyproxyServer {
 public:
  static std::string program() { return ServerProcess::findProgram({"/usr/bin/tinyproxy", "/usr/sbin/tinyproxy"}); }

  TinyproxyServer() : port_(ServerProcess::freeLoopbackPort()) {}

  // Starts tinyproxy requiring `user`:`password` and waits until it accepts connections.
  std::string start(const std::string& user, const std::string& password) {
    std::string configuration = "Port " + std::to_string(port_) +
                                "\nListen 127.0.0.1\nTimeout 30\nAllow 127.0.0.1\nLogLevel Info\nLogFile \"" +
                                directory_.file("tinyproxy.log") + "\"\nBasicAuth " + user + " " + password + "\n";
    std::string path = directory_.file("tinyproxy.conf");
    writeFile(path, foundation::Bytes(configuration.begin(), configuration.end()));
    return process_.start(
        {program(), "-d", "-c", path}, directory_.path(),
        [this] {
          std::string log = log_();
          return log.find("Starting main loop") != std::string::npos ||
                 log.find("Accepting connections") != std::string::npos;
        },
        [this] { return log_(); });
  }

  int port() const { return port_; }

 private:
  std::string log_() const { return ServerProcess::textOf(directory_.file("tinyproxy.log")); }

  TemporaryDirectory directory_;
  int port_ = 0;
  ServerProcess process_{SIGTERM};
};

}  // namespace http::test
