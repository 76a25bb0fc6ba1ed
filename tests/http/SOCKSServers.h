#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "tests/http/ServerProcess.h"
#include "tests/http/TemporaryDirectory.h"

namespace http::test {

// A real microsocks SOCKS5 server on a free loopback port, optionally asking for a login.
class MicrosocksServer {
 public:
  static std::string program() { return ServerProcess::findProgram({"/usr/bin/microsocks"}); }

  MicrosocksServer() : port_(ServerProcess::freeLoopbackPort()) {}

  // Starts microsocks (with a login when `user` is not empty) and waits until it accepts
  // connections. It announces nothing when ready, so its port is tried until it answers.
  std::string start(const std::string& user = "", const std::string& password = "") {
    // Its log of the tunnels it opened goes to a file.
    std::string command = "exec " + program() + " -i 127.0.0.1 -p " + std::to_string(port_);
    if (!user.empty()) command += " -u '" + user + "' -P '" + password + "'";
    std::vector<std::string> arguments{"/bin/sh", "-c", command + " 2>'" + log_() + "'"};
    std::string failure = process_.start(
        arguments, directory_.path(), [] { return true; }, [] { return ""; });
    if (!failure.empty()) return failure;
    while (!accepts()) {
      if (!process_.running()) return "microsocks exited: " + ServerProcess::textOf(log_());
      std::this_thread::yield();
    }
    return "";
  }

  // The tunnels it has opened so far (its probe by start() opens none).
  int tunnels() const {
    const std::string log = ServerProcess::textOf(log_());
    int count = 0;
    for (auto at = log.find("connected to"); at != std::string::npos; at = log.find("connected to", at + 1)) ++count;
    return count;
  }

  int port() const { return port_; }

 private:
  bool accepts() const {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port_));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
  }

  std::string log_() const { return directory_.file("microsocks.log"); }

  TemporaryDirectory directory_;
  int port_ = 0;
  ServerProcess process_{SIGTERM};
};

// A real Dante SOCKS4 and SOCKS5 server on a free loopback port, without logins, refusing
// tunnels to one loopback port.
class DanteServer {
 public:
  static std::string program() { return ServerProcess::findProgram({"/usr/sbin/danted", "/usr/sbin/sockd"}); }

  DanteServer() : port_(ServerProcess::freeLoopbackPort()) {}

  std::string start(int refusedPort) {
    const std::string configuration = "logoutput: " + log_() + "\ninternal: 127.0.0.1 port = " + std::to_string(port_) +
                                      "\nexternal: 127.0.0.1\nclientmethod: none\nsocksmethod: none\n" +
                                      (::geteuid() == 0 ? "user.privileged: root\nuser.unprivileged: nobody\n" : "") +
                                      "client pass { from: 127.0.0.1/32 to: 0.0.0.0/0 }\n"
                                      "socks block { from: 0.0.0.0/0 to: 127.0.0.1/32 port = " +
                                      std::to_string(refusedPort) +
                                      " }\nsocks pass { from: 0.0.0.0/0 to: 0.0.0.0/0 protocol: tcp }\n";
    const std::string path = directory_.file("danted.conf");
    writeFile(path, foundation::Bytes(configuration.begin(), configuration.end()));
    return process_.start(
        {program(), "-f", path, "-p", directory_.file("danted.pid"), "-N", "1"}, directory_.path(),
        [this] { return ServerProcess::textOf(log_()).find(" running") != std::string::npos; },
        [this] { return ServerProcess::textOf(log_()); });
  }

  int port() const { return port_; }

 private:
  std::string log_() const { return directory_.file("danted.log"); }

  TemporaryDirectory directory_;
  int port_ = 0;
  ServerProcess process_{SIGTERM};
};

}  // namespace http::test
