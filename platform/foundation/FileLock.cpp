#include "platform/foundation/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <sstream>
#include <string_view>
#include <thread>
#include <utility>

namespace foundation {
namespace {

// flock() cannot wait with a bound, so the wait asks again at this pace; holders keep the lock
// for a read and a write of a small file.
constexpr std::chrono::milliseconds kRetryPace{5};

// Linux's largest process id; a number above it was not written by a holder.
constexpr long kLargestProcessId = 4'194'304;

// The holder's id as it wrote it ("1234\n"); anything else names nobody.
std::optional<long> processIdWrittenIn(int fd) {
  char buffer[24];
  const ssize_t got = ::pread(fd, buffer, sizeof buffer, 0);
  if (got <= 0) return std::nullopt;
  std::string_view text(buffer, static_cast<std::size_t>(got));
  if (text.back() == '\n') text.remove_suffix(1);
  long id = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
  if (error != std::errc() || end != text.data() + text.size() || id <= 0 || id > kLargestProcessId)
    return std::nullopt;
  return id;
}

// The id only lets a refused try name the holder; the lock holds whether or not it is written.
void writeProcessId(int fd) {
  const std::string text = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd, 0) == 0) (void)!::pwrite(fd, text.data(), text.size(), 0);
}

}  // namespace

Result<FileLock> FileLock::acquire(const std::string& path, Duration timeOut, unsigned mode) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, static_cast<mode_t>(mode));
  if (fd < 0) return posixError(errno, "Cannot open the lock file \"" + path + "\"");
  FileLock lock(fd);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::nanoseconds>(timeOut);
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return posixError(errno, "Cannot lock \"" + path + "\"");
    if (std::chrono::steady_clock::now() >= deadline) {
      std::ostringstream text;
      text << "Cannot lock \"" << path << "\": another process has held it for more than " << timeOut.count() << " s";
      return makeError(kPOSIXErrorDomain, ETIMEDOUT, text.str());
    }
    std::this_thread::sleep_for(kRetryPace);
  }
  return lock;
}

Result<std::variant<FileLock, FileLock::Taken>> FileLock::tryAcquireNamingHolder(const std::string& path,
                                                                                 unsigned mode) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, static_cast<mode_t>(mode));
  if (fd < 0) return posixError(errno, "Cannot open the lock file \"" + path + "\"");
  FileLock lock(fd);
  int locked = 0;
  do locked = ::flock(fd, LOCK_EX | LOCK_NB);
  while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    if (errno != EWOULDBLOCK) return posixError(errno, "Cannot lock \"" + path + "\"");
    return std::variant<FileLock, Taken>(Taken{processIdWrittenIn(fd)});
  }
  writeProcessId(fd);
  return std::variant<FileLock, Taken>(std::move(lock));
}

FileLock::FileLock(FileLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileLock::~FileLock() {
  if (fd_ >= 0) ::close(fd_);  // lets go of the lock
}

}  // namespace foundation
