#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/http/TemporaryDirectory.h"

extern char** environ;

namespace http::test {

// A real nginx (one process), started on a free loopback port with a generated configuration:
// keep-alive, gzip for text/plain (".txt"), byte ranges for static files, and an access log that
// names the connection and its request number. Files are served from www(). Header-only so
// that the benchmarks can use it too.
class NginxServer {
 public:
  // The nginx program, or "" when it is not installed.
  static std::string program() {
    for (const char* candidate : {"/usr/sbin/nginx", "/usr/local/sbin/nginx", "/usr/bin/nginx"}) {
      if (::access(candidate, X_OK) == 0) return candidate;
    }
    return "";
  }

  explicit NginxServer(bool logRequests = true) : port_(freeLoopbackPort()), logRequests_(logRequests) {
    std::filesystem::create_directories(www());
    for (const char* folder : {"body", "proxy", "fastcgi", "uwsgi", "scgi"}) {
      std::filesystem::create_directories(directory_.file(folder));
    }
  }
  ~NginxServer() { stop(); }
  NginxServer(const NginxServer&) = delete;
  NginxServer& operator=(const NginxServer&) = delete;

  // Starts nginx and waits until it listens: nginx writes its pid file once its sockets are
  // bound, and the wait is on that file appearing (inotify), not on a clock. Returns an error
  // text, empty on success.
  std::string start() {
    std::string configuration = writeConfiguration();
    int watch = ::inotify_init1(IN_CLOEXEC);
    ::inotify_add_watch(watch, directory_.path().c_str(), IN_CLOSE_WRITE | IN_MOVED_TO);
    std::string nginx = program();
    std::vector<std::string> arguments{nginx, "-p", directory_.path().string() + "/", "-c", configuration};
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, nginx.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
      ::close(watch);
      pid_ = -1;
      return "could not run " + nginx;
    }
    std::string failure;
    pollfd ready{watch, POLLIN, 0};
    while (!std::filesystem::exists(directory_.file("nginx.pid"))) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        failure = "nginx exited: " + errorLog();
        break;
      }
      if (::poll(&ready, 1, 10000) <= 0) {
        failure = "nginx did not start: " + errorLog();
        break;
      }
      char events[4096];
      (void)!::read(watch, events, sizeof events);
    }
    ::close(watch);
    return failure;
  }

  // Stops nginx and waits for it, so that its logs are complete.
  void stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGQUIT);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }

  std::string www() const { return directory_.file("www"); }
  std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
  // One line per request: "<connection> <request on it> <status> <uri>".
  std::string accessLog() const { return textOf(directory_.file("access.log")); }
  std::string errorLog() const { return textOf(directory_.file("error.log")); }

 private:
  // A port nobody listens on now: the system's choice for a socket bound to port 0.
  static int freeLoopbackPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    (void)::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
  }
  static std::string textOf(const std::string& path) {
    auto bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
  }

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
  pid_t pid_ = -1;
};

}  // namespace http::test
