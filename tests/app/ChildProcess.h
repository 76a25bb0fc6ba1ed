#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace apptest {

// A program run as a user would: its standard input and output on pipes, its errors dropped or
// mixed into the output.
class ChildProcess {
 public:
  using Clock = std::chrono::steady_clock;

  explicit ChildProcess(const std::vector<std::string>& argv, bool keepErrors = false) {
    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (keepErrors)
      posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
    else
      posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    started_ = Clock::now();
    const int failed = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    input_ = in[1];
    output_ = out[0];
    if (failed != 0) throw std::runtime_error("cannot start " + argv[0]);
  }
  ~ChildProcess() {
    if (pid_ > 0) finish(SIGKILL);
    ::close(input_);
    ::close(output_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Blocks until the output holds `mark` (true), or ends or stays silent for `patience` (false).
  // Everything read is kept in output().
  bool readUntil(const std::string& mark, std::chrono::milliseconds patience = std::chrono::seconds(30)) {
    while (text_.find(mark) == std::string::npos)
      if (readSome(patience) != Read::data) return false;
    return true;
  }
  // Reads until the output ends (true) or stays silent for `patience` (false).
  bool readToEnd(std::chrono::milliseconds patience = std::chrono::seconds(30)) {
    for (;;) {
      const Read read = readSome(patience);
      if (read != Read::data) return read == Read::ended;
    }
  }
  // Reads whatever comes for `span`, so that the child never waits on a full pipe.
  void readFor(std::chrono::milliseconds span) {
    const auto end = Clock::now() + span;
    for (auto left = span; left.count() > 0;
         left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now())) {
      if (readSome(left) == Read::ended) return;
    }
  }
  const std::string& output() const { return text_; }
  double secondsSinceStart() const { return std::chrono::duration<double>(Clock::now() - started_).count(); }

  void say(const std::string& text) { (void)!::write(input_, text.data(), text.size()); }
  pid_t pid() const { return pid_; }
  // Sends `signal` (0: none) and waits for the end; the exit status (-1 for a signal) and the
  // resources the child used.
  std::pair<int, rusage> finish(int signal = 0) {
    if (signal != 0) ::kill(pid_, signal);
    int status = 0;
    rusage usage{};
    ::wait4(pid_, &status, 0, &usage);
    pid_ = -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage};
  }

 private:
  enum class Read { data, ended, silent };
  Read readSome(std::chrono::milliseconds patience) {
    pollfd watched{output_, POLLIN, 0};
    if (::poll(&watched, 1, static_cast<int>(patience.count())) <= 0) return Read::silent;
    char buffer[4096];
    const ssize_t got = ::read(output_, buffer, sizeof buffer);
    if (got <= 0) return Read::ended;
    text_.append(buffer, static_cast<std::size_t>(got));
    return Read::data;
  }

  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  std::string text_;
  Clock::time_point started_;
};

}  // namespace apptest
