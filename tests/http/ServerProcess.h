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
#include <functional>
#include <string>
#include <vector>

#include "tests/http/TemporaryDirectory.h"

extern char** environ;

namespace http::test {

// A real server program run as a child of the test. It counts as ready once a file in its folder
// says so (a pid file, a log line), which servers write after binding their sockets: the wait is
// on changes in that folder (inotify), not on a clock. Header-only so that the benchmarks can use
// it too.
class ServerProcess {
 public:
  explicit ServerProcess(int stopSignal) : stopSignal_(stopSignal) {}
  ~ServerProcess() { stop(); }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // The first of `candidates` that can be run, or "".
  static std::string findProgram(const std::vector<std::string>& candidates) {
    for (const auto& candidate : candidates) {
      if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
  }

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

  // Runs `arguments` and waits until `ready` holds, looking again whenever a file in `folder`
  // changes. Returns an error text (ending with what `errorLog` gives), empty on success.
  std::string start(std::vector<std::string> arguments, const std::filesystem::path& folder,
                    const std::function<bool()>& ready, const std::function<std::string()>& errorLog) {
    int watch = ::inotify_init1(IN_CLOEXEC);
    ::inotify_add_watch(watch, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_MODIFY);
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
      ::close(watch);
      pid_ = -1;
      return "could not run " + arguments[0];
    }
    std::string failure;
    pollfd changes{watch, POLLIN, 0};
    while (!ready()) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        failure = arguments[0] + " exited: " + errorLog();
        break;
      }
      if (::poll(&changes, 1, 10000) <= 0) {
        failure = arguments[0] + " did not start: " + errorLog();
        break;
      }
      char events[4096];
      (void)!::read(watch, events, sizeof events);
    }
    ::close(watch);
    return failure;
  }

  // Whether the server is still running.
  bool running() {
    int status = 0;
    if (pid_ > 0 && ::waitpid(pid_, &status, WNOHANG) == pid_) pid_ = -1;
    return pid_ > 0;
  }

  // Stops the server and waits for it, so that its logs are complete.
  void stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, stopSignal_);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }

 private:
  int stopSignal_;
  pid_t pid_ = -1;
};

}  // namespace http::test
