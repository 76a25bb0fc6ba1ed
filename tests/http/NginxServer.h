#pragma once

#include <signal.h>

#include <filesystem>
#include <string>

#include "tests/http/ServerProcess.h"
#include "tests/http/TemporaryDirectory.h"

namespace http::test {

// A real nginx (one process), started on a free loopback port with a generated configuration:
// keep-alive, gzip for text/plain (".txt"), byte ranges for static files, and an access log that
// names the connection and its request number. Files are served from www(). Header-only so
// that the benchmarks can use it too.
class NginxServer {
 public:
  // The nginx program, or "" when it is not installed.
  static std::string program() {
    return ServerProcess::findProgram({"/usr/sbin/nginx", "/usr/local/sbin/nginx", "/usr/bin/nginx"});
  }

  explicit NginxServer(bool logRequests = true) : port_(ServerProcess::freeLoopbackPort()), logRequests_(logRequests) {
    std::filesystem::create_directories(www());
    for (const char* folder : {"body", "proxy", "fastcgi", "uwsgi", "scgi"}) {
      std::filesystem::create_directories(directory_.file(folder));
    }
  }
  NginxServer(const NginxServer&) = delete;
  NginxServer& operator=(const NginxServer&) = delete;

  // Starts nginx and waits until it listens. Returns an error text, empty on success.
  std::string start() {
    std::string configuration = writeConfiguration();
    // nginx writes its pid file once its sockets are bound.
    return process_.start(
        {program(), "-p", directory_.path().string() + "/", "-c", configuration}, directory_.path(),
        [this] { return std::filesystem::exists(directory_.file("nginx.pid")); }, [this] { return errorLog(); });
  }

  // Stops nginx and waits for it, so that its logs are complete.
  void stop() { process_.stop(); }

  std::string www() const { return directory_.file("www"); }
  std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
  // One line per request: "<connection> <request on it> <status> <uri>".
  std::string accessLog() const { return textOf(directory_.file("access.log")); }
  std::string errorLog() const { return textOf(directory_.file("error.log")); }

 private:
  static std::string textOf(const std::string& path) { return ServerProcess::textOf(path); }

  std::string writeConfiguration() {
    const std::string d = directory_.path().string();
    std::string accessLog = logRequests_ ? "  access_log " + d + "/access.log connections;\n" : "  access_log off;\n";
    std::string configuration =
        "daemon off;\n"
        "master_process off;\n"  // one process, which never changes its user
        "pid " +
        d +
        "/nginx.pid;\n"
        "error_log " +
        d +
        "/error.log;\n"
        "events { worker_connections 64; }\n"
        "http {\n"
        "  types { text/plain txt; application/octet-stream bin; }\n"
        "  log_format connections '$connection $connection_requests $status $request_uri';\n" +
        accessLog + "  client_body_temp_path " + d +
        "/body;\n"
        "  proxy_temp_path " +
        d +
        "/proxy;\n"
        "  fastcgi_temp_path " +
        d +
        "/fastcgi;\n"
        "  uwsgi_temp_path " +
        d +
        "/uwsgi;\n"
        "  scgi_temp_path " +
        d +
        "/scgi;\n"
        "  sendfile on;\n"
        "  keepalive_timeout 30;\n"
        "  keepalive_requests 100000;\n"
        "  gzip on;\n"
        "  gzip_types text/plain;\n"
        "  gzip_min_length 20;\n"
        "  server {\n"
        "    listen 127.0.0.1:" +
        std::to_string(port_) +
        ";\n"
        "    root " +
        www() +
        ";\n"
        "  }\n"
        "}\n";
    std::string path = directory_.file("nginx.conf");
    writeFile(path, foundation::Bytes(configuration.begin(), configuration.end()));
    return path;
  }

  TemporaryDirectory directory_;
  int port_ = 0;
  bool logRequests_ = true;
  ServerProcess process_{SIGQUIT};
};

}  // namespace http::test
