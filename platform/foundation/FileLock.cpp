#include "platform/foundation/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <sstream>
#include <thread>
#include <utility>

namespace foundation {
namespace {

// flock() cannot wait with a bound, so the wait asks again at this pace; holders keep the lock
// for a read and a write of a small file.
constexpr std::chrono::milliseconds kRetryPace{5};

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

FileLock::FileLock(FileLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileLock::~FileLock() {
  if (fd_ >= 0) ::close(fd_);  // lets go of the lock
}

}  // namespace foundation
