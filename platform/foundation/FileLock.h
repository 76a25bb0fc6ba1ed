#pragma once

#include <optional>
#include <string>
#include <variant>

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

  // What a try found when another holds the lock: the process id that holder wrote into the lock
  // file, or nullopt when the file holds none that reads as one (not written yet, or damaged).
  struct Taken {
    std::optional<long> holder;
  };
  // Any thread. Takes the lock without waiting and writes this process's id into the lock file,
  // so that a later try can name the holder; or says who holds it, changing nothing. The lock
  // file is made as acquire makes it.
  static Result<std::variant<FileLock, Taken>> tryAcquireNamingHolder(const std::string& path, unsigned mode = 0600);

  FileLock(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock();

 private:
  explicit FileLock(int fd) : fd_(fd) {}
  int fd_;
};

}  // namespace foundation
