#pragma once

#include <signal.h>

#include <filesystem>
#include <string>

#include "tests/http/ServerProcess.h"
#include "tests/http/TemporaryDirectory.h"

namespace http::test {

// A real Apache httpd (one process, in the foreground) on a free loopback port, serving static
// files from www() with its own validators (ETag, Last-Modified) and byte ranges.
class ApacheServer {
 public:
  // The httpd program, or "" when it is not installed.
  static std::string program() { return ServerProcess::findProgram({"/usr/sbin/apache2", "/usr/sbin/httpd"}); }
  static std::string modules() { return "/usr/lib/apache2/modules"; }

  ApacheServer() : port_(ServerProcess::freeLoopbackPort()) { std::filesystem::create_directories(www()); }

  // Starts httpd and waits until it listens. Returns an error text, empty on success.
  std::string start() {
    const std::string d = directory_.path().string();
    const std::string configuration = "ServerRoot \"" + d + "\"\nListen 127.0.0.1:" + std::to_string(port_) +
                                      "\nServerName 127.0.0.1\nPidFile \"" + d + "/httpd.pid\"\nErrorLog \"" + d +
                                      "/error.log\"\nDefaultRuntimeDir \"" + d + "\"\nLoadModule mpm_event_module " +
                                      modules() + "/mod_mpm_event.so\nLoadModule authz_core_module " + modules() +
                                      "/mod_authz_core.so\nDocumentRoot \"" + www() + "\"\n<Directory \"" + www() +
                                      "\">\n  Require all granted\n</Directory>\n";
    const std::string path = directory_.file("httpd.conf");
    writeFile(path, foundation::Bytes(configuration.begin(), configuration.end()));
    // httpd writes its pid file once its sockets are bound.
    return process_.start(
        {program(), "-X", "-f", path}, directory_.path(),
        [this] { return std::filesystem::exists(directory_.file("httpd.pid")); }, [this] { return errorLog(); });
  }

  std::string www() const { return directory_.file("www"); }
  std::string errorLog() const { return ServerProcess::textOf(directory_.file("error.log")); }
  std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

 private:
  TemporaryDirectory directory_;
  int port_ = 0;
  ServerProcess process_{SIGTERM};
};

}  // namespace http::test
