#pragma once

#include <signal.h>

#include <filesystem>
#include <string>

#include "tests/http/ServerProcess.h"
#include "tests/http/TemporaryDirectory.h"

namespace http::test {

// A real lighttpd in the foreground on a free loopback port, serving static files from www()
// with its own validators (ETag, Last-Modified) and byte ranges.
class LighttpdServer {
 public:
  // The lighttpd program, or "" when it is not installed.
  static std::string program() { return ServerProcess::findProgram({"/usr/sbin/lighttpd", "/usr/bin/lighttpd"}); }

  LighttpdServer() : port_(ServerProcess::freeLoopbackPort()) { std::filesystem::create_directories(www()); }

  // Starts lighttpd, with `extraConfiguration` appended to its configuration, and waits until
  // it listens. Returns an error text, empty on success.
  std::string start(const std::string& extraConfiguration = "") {
    const std::string d = directory_.path().string();
    std::string configuration = "server.document-root = \"" + www() +
                                "\"\n"
                                "server.bind = \"127.0.0.1\"\n"
                                "server.port = " +
                                std::to_string(port_) + "\nserver.pid-file = \"" + d +
                                "/lighttpd.pid\"\n"
                                "server.errorlog = \"" +
                                d +
                                "/error.log\"\n"
                                "mimetype.assign = (\".bin\" => \"application/octet-stream\")\n" +
                                extraConfiguration;
    std::string path = directory_.file("lighttpd.conf");
    writeFile(path, foundation::Bytes(configuration.begin(), configuration.end()));
    // lighttpd logs that it started once its sockets are bound.
    return process_.start(
        {program(), "-D", "-f", path}, directory_.path(),
        [this] { return errorLog().find("server started") != std::string::npos; }, [this] { return errorLog(); });
  }

  std::string www() const { return directory_.file("www"); }
  std::string file(const std::string& name) const { return directory_.file(name); }
  std::string errorLog() const { return ServerProcess::textOf(directory_.file("error.log")); }
  std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
  int port() const { return port_; }

 private:
  TemporaryDirectory directory_;
  int port_ = 0;
  ServerProcess process_{SIGTERM};
};

}  // namespace http::test
