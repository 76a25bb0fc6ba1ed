#pragma once

#include <string>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Result.h"

namespace foundation {

// An exclusive lock on a lock file beside the data it guards (flock), so that processes, and
// threads with a lock of their own, change that data one at a time. Held until destroyed; a
// process that ends, however it ends, lets go of it. Its descriptor is close-on-exec, so a child
// that execs never holds it; a child forked without exec shares it, and the lock stays held until
// that child too has closed it or ended.
class FileLock {
 public:
  // Any thread. Waits at most `timeOut` while another holds the lock, then fails (ETIMEDOUT)
  // saying so. The lock file is made with `mode` when missing, in a folder that must exist, and
  // is never removed: two holders would otherwise lock two different files.
  static Result<FileLock> acquire(const std::string& path, Duration timeOut, unsigned mode = 0600);

  FileLock(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock();

 private:
  explicit FileLock(int fd) : fd_(fd) {}
  int fd_;
};

}  // namespace foundation
