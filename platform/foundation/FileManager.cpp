#include "platform/foundation/FileManager.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_set>

#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"

namespace foundation {
namespace {

// Temporary files of writeAtomically() and copyItem() start with this, then the writer's process
// id: ".zr-atomic-<pid>-<name>-XXXXXX". A crash can leave one behind; listings hide them so that
// callers never read half a file as an entry, and removeStaleTemporaryFiles() removes them.
constexpr std::string_view kAtomicPrefix = ".zr-atomic-";
// Room left in a 255-byte name for the prefix, the process id and mkstemp's suffix.
constexpr std::size_t kMaxNameInTemporary = 200;
// A sweep that removes a temporary file between its creation and its locking makes the writer
// start again with a new one; twice in a row is already beyond belief.
constexpr int kTemporaryFileAttempts = 4;

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

ErrorPtr failure(int errnoValue, const std::string& what, const std::string& path) {
  return posixError(errnoValue, what + " " + quoted(path));
}

ErrorPtr failure(const std::error_code& code, const std::string& what, const std::string& path) {
  return failure(code.value() ? code.value() : EIO, what, path);
}

bool isLeftover(std::string_view name) { return name.substr(0, kAtomicPrefix.size()) == kAtomicPrefix; }

// Whether `inner` is `outer` itself or lies inside it, after resolving links; replacing `outer`
// by a move would then destroy the source.
bool isSameOrInside(const std::string& inner, const std::string& outer) {
  std::error_code code;
  std::string resolvedInner = std::filesystem::weakly_canonical(inner, code).native();
  if (code) return false;
  std::string resolvedOuter = std::filesystem::weakly_canonical(outer, code).native();
  if (code) return false;
  return resolvedInner == resolvedOuter || resolvedInner.starts_with(resolvedOuter + "/");
}

// Owns a descriptor; closes it once. close() reports the error that a late write may surface.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  int close() {
    int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

// Everything the descriptor gives, up to `limit` bytes; a directory or more bytes are errors.
Result<Bytes> readAll(int fd, const std::string& path, std::size_t limit) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return failure(errno, "Cannot read", path);
  if (S_ISDIR(info.st_mode)) return failure(EISDIR, "Cannot read", path);
  if (S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) > limit)
    return failure(EFBIG, "Cannot read", path);
  // Straight into the result, a regular file in one call (the spare byte lets the next read
  // see the end); the room grows only for a file that grows meanwhile or a pipe.
  Bytes content(S_ISREG(info.st_mode) ? static_cast<std::size_t>(info.st_size) + 1 : 64 * 1024);
  std::size_t filled = 0;
  for (;;) {
    if (filled == content.size()) content.resize(content.size() * 2);
    ssize_t got = ::read(fd, content.data() + filled, content.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return failure(errno, "Cannot read", path);
    if (got == 0) break;
    if (static_cast<std::size_t>(got) > limit - filled) return failure(EFBIG, "Cannot read", path);
    filled += static_cast<std::size_t>(got);
  }
  content.resize(filled);
  return content;
}

int writeAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return 0;
}

int syncFolder(const std::string& folder) {
  Descriptor fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() < 0) return errno;
  // Some file systems cannot flush a folder; the rename is done all the same.
  if (::fsync(fd.get()) != 0 && errno != EINVAL && errno != EROFS) return errno;
  return 0;
}

// A fresh temporary file next to the target, locked for as long as its descriptor (or a
// duplicate) is open, so that a sweep in another process leaves it alone. The temporary file
// takes `mode` when given, else the mode of the file it replaces (0644 for a new one); a file
// that must stay private is never readable by others, not even for a moment.
Result<std::pair<std::string, int>> makeTemporaryBeside(const std::string& path, std::optional<unsigned> wanted) {
  std::string folder = Paths::deletingLastPathComponent(path);
  std::string name = Paths::lastPathComponent(path).substr(0, kMaxNameInTemporary);
  std::string prefix = std::string(kAtomicPrefix) + std::to_string(::getpid()) + "-" + name + "-";
  for (int attempt = 0; attempt < kTemporaryFileAttempts; ++attempt) {
    std::string pattern = Paths::appendingPathComponent(folder, prefix + "XXXXXX");
    int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return failure(errno, "Cannot create a temporary file for", path);
    // Where the file system has no locks, the sweep cannot lock either and keeps the file.
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    struct stat created {};
    if (::fstat(fd, &created) == 0 && created.st_nlink == 0) {  // a sweep took it before the lock
      ::close(fd);
      continue;
    }
    struct stat existing {};
    mode_t mode = wanted ? static_cast<mode_t>(*wanted)
                         : (::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644);
    ::fchmod(fd, mode);
    return std::make_pair(pattern, fd);
  }
  return failure(EAGAIN, "Cannot keep a temporary file for", path);
}

// Sweeps each folder once per run, at its first atomic write: what writes of earlier runs left
// there goes before this run adds files of its own.
void sweepFolderOnFirstWrite(const std::string& folder) {
  // Live for the run: a store may still write while static objects are destroyed at exit.
  static auto* mutex = new std::mutex();
  static auto* swept = new std::unordered_set<std::string>();
  {
    std::scoped_lock lock(*mutex);
    if (!swept->insert(folder).second) return;
  }
  (void)FileManager::removeStaleTemporaryFiles(folder);
}

enum class Flush { toDisk, no };

// Writes the temporary file through `fill`, flushes it (unless told not to) and renames it over
// `path`.
template <class Fill>
Status replaceAtomically(const std::string& path, Fill fill, std::optional<unsigned> mode = std::nullopt,
                         Flush flush = Flush::toDisk) {
  sweepFolderOnFirstWrite(Paths::deletingLastPathComponent(path));
  auto temporary = makeTemporaryBeside(path, mode);
  if (!temporary) return temporary.error();
  const std::string& temporaryPath = temporary->first;
  Descriptor fd(temporary->second);
  // Holds the lock past the close below (which reports late write errors) until the rename.
  Descriptor lockHolder(::dup(fd.get()));
  auto discard = [&](ErrorPtr error) {
    ::unlink(temporaryPath.c_str());
    return Status(std::move(error));
  };
  if (lockHolder.get() < 0) return discard(failure(errno, "Cannot write", path));
  if (Status filled = fill(fd.get()); !filled) return discard(filled.error());
  if (flush == Flush::toDisk && ::fsync(fd.get()) != 0) return discard(failure(errno, "Cannot flush", path));
  if (int error = fd.close()) return discard(failure(error, "Cannot write", path));
  if (::rename(temporaryPath.c_str(), path.c_str()) != 0) return discard(failure(errno, "Cannot replace", path));
  if (flush == Flush::no) return Status::success();
  if (int error = syncFolder(Paths::deletingLastPathComponent(path))) {
    return failure(error, "Cannot flush the folder of", path);
  }
  return Status::success();
}

Status copyFileAtomically(const std::string& from, const std::string& to) {
  Descriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (source.get() < 0) return failure(errno, "Cannot open", from);
  return replaceAtomically(to, [&](int fd) -> Status {
    std::uint8_t buffer[64 * 1024];
    for (;;) {
      ssize_t got = ::read(source.get(), buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return failure(errno, "Cannot read", from);
      if (got == 0) return Status::success();
      if (int error = writeAll(fd, buffer, static_cast<std::size_t>(got))) return failure(error, "Cannot write", to);
    }
  });
}

}  // namespace

Status FileManager::createDirectory(const std::string& path, bool withIntermediates) {
  if (path.empty()) return failure(ENOENT, "Cannot create folder", path);
  std::vector<std::string> toCreate;
  for (std::string at = path; !at.empty() && at != "/"; at = Paths::deletingLastPathComponent(at)) {
    if (isDirectory(at)) break;
    if (fileExists(at)) return failure(at == path ? EEXIST : ENOTDIR, "Cannot create folder", path);
    toCreate.push_back(at);
    if (!withIntermediates) break;
  }
  std::reverse(toCreate.begin(), toCreate.end());
  for (const std::string& folder : toCreate) {
    if (::mkdir(folder.c_str(), 0755) == 0) continue;
    int error = errno;
    // Another thread or process may have made it meanwhile.
    if (error == EEXIST && isDirectory(folder)) continue;
    return failure(error, "Cannot create folder", path);
  }
  return Status::success();
}

bool FileManager::fileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

bool FileManager::isDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

namespace {

// Replaces the file at `path` with `bytes`.
Status replaceWithBytes(const std::string& path, std::span<const std::uint8_t> bytes, std::optional<unsigned> mode,
                        Flush flush) {
  return replaceAtomically(
      path,
      [&](int fd) -> Status {
        if (int error = writeAll(fd, bytes.data(), bytes.size())) return failure(error, "Cannot write", path);
        return Status::success();
      },
      mode, flush);
}

std::span<const std::uint8_t> bytesOf(std::string_view text) {
  return std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

}  // namespace

Status FileManager::writeAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                                    std::optional<unsigned> mode) {
  return replaceWithBytes(path, bytes, mode, Flush::toDisk);
}

Status FileManager::writeAtomically(const std::string& path, std::string_view text, std::optional<unsigned> mode) {
  return replaceWithBytes(path, bytesOf(text), mode, Flush::toDisk);
}

Status FileManager::writeAtomicallyUnflushed(const std::string& path, std::string_view text) {
  return replaceWithBytes(path, bytesOf(text), std::nullopt, Flush::no);
}

Result<Bytes> FileManager::readFile(const std::string& path) {
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return failure(errno, "Cannot open", path);
  return readAll(fd.get(), path, std::numeric_limits<std::size_t>::max());
}

Result<Bytes> FileManager::readFile(const std::string& path, std::size_t maxBytes) {
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return failure(errno, "Cannot open", path);
  // Non-blocking only to open: reads wait for a FIFO's writer like any reader would.
  if (::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK) != 0)
    return failure(errno, "Cannot read", path);
  return readAll(fd.get(), path, maxBytes);
}

void FileManager::readFileInBackground(std::string path, std::size_t maxBytes, Duration timeout, RunLoop& loop,
                                       std::function<void(Result<Bytes>)> done) {
  // Whichever comes first, the bytes or the time-out, answers; both run on `loop`.
  struct Pending {
    std::function<void(Result<Bytes>)> done;
    std::shared_ptr<Timer> timer;
    void answer(Result<Bytes> result) {
      if (!done) return;
      if (timer) timer->invalidate();
      timer.reset();
      auto call = std::move(done);
      done = nullptr;
      call(std::move(result));
    }
  };
  auto pending = std::make_shared<Pending>();
  pending->done = std::move(done);
  loop.perform(
      [pending, path, timeout, &loop] {
        if (!pending->done) return;
        pending->timer = loop.scheduleTimer(
            timeout, false, [pending, path] { pending->answer(failure(ETIMEDOUT, "Gave up waiting to read", path)); });
      },
      false);
  try {
    std::thread([pending, path, maxBytes, &loop] {
      auto bytes = readFile(path, maxBytes);
      loop.post([pending, bytes = std::move(bytes)]() mutable { pending->answer(std::move(bytes)); });
    }).detach();
  } catch (const std::system_error& error) {
    loop.post([pending, path, code = error.code().value()] { pending->answer(failure(code, "Cannot read", path)); });
  }
}

Result<std::string> FileManager::readTextFile(const std::string& path) {
  auto bytes = readFile(path);
  if (!bytes) return bytes.error();
  return std::string(bytes->begin(), bytes->end());
}

Status FileManager::moveItem(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) == 0) return Status::success();
  int error = errno;
  if (error == ENOENT && !fileExists(from)) return failure(error, "Cannot move", from);
  if ((error == EISDIR || error == ENOTEMPTY || error == EEXIST || error == ENOTDIR) && !isSameOrInside(from, to)) {
    if (Status removed = removeItem(to); !removed) return removed;
    if (::rename(from.c_str(), to.c_str()) == 0) return Status::success();
    error = errno;
  }
  if (error == EXDEV) {
    if (Status copied = copyItem(from, to); !copied) return copied;
    return removeItem(from);
  }
  return failure(error, "Cannot move " + quoted(from) + " to", to);
}

Status FileManager::copyItem(const std::string& from, const std::string& to) {
  struct stat info {};
  if (::stat(from.c_str(), &info) != 0) return failure(errno, "Cannot copy", from);
  if (!S_ISDIR(info.st_mode)) return copyFileAtomically(from, to);
  // A copy into its own tree would go on copying what it has just made.
  if (isSameOrInside(to, from)) return failure(EINVAL, "Cannot copy " + quoted(from) + " into itself at", to);
  std::error_code code;
  std::filesystem::copy(from, to,
                        std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing |
                            std::filesystem::copy_options::copy_symlinks,
                        code);
  if (code) return failure(code, "Cannot copy " + quoted(from) + " to", to);
  return Status::success();
}

Status FileManager::removeItem(const std::string& path) {
  std::error_code code;
  std::filesystem::remove_all(path, code);
  if (code && code != std::errc::no_such_file_or_directory && code != std::errc::not_a_directory) {
    return failure(code, "Cannot remove", path);
  }
  return Status::success();
}

Result<std::uint64_t> FileManager::fileSize(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return failure(errno, "Cannot read the size of", path);
  return static_cast<std::uint64_t>(info.st_size);
}

Status FileManager::removeStaleTemporaryFiles(const std::string& folder) {
  DIR* listing = ::opendir(folder.c_str());
  if (!listing) return errno == ENOENT ? Status::success() : failure(errno, "Cannot list", folder);
  std::vector<std::string> leftovers;
  while (dirent* entry = ::readdir(listing)) {
    if (isLeftover(entry->d_name)) leftovers.push_back(folder + "/" + entry->d_name);
  }
  ::closedir(listing);
  for (const std::string& path : leftovers) {
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    // A writer still at work, in this process or another, holds the lock; the process id in the
    // name decides nothing, since a later run may well be given the same one.
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return failure(errno, "Cannot remove", path);
  }
  return Status::success();
}

Result<std::vector<std::string>> FileManager::contentsOfDirectory(const std::string& path) {
  DIR* folder = ::opendir(path.c_str());
  if (!folder) return failure(errno, "Cannot list", path);
  std::vector<std::string> names;
  errno = 0;
  while (dirent* entry = ::readdir(folder)) {
    std::string_view name = entry->d_name;
    if (name != "." && name != ".." && !isLeftover(name)) names.emplace_back(name);
    errno = 0;
  }
  int error = errno;
  ::closedir(folder);
  if (error) return failure(error, "Cannot list", path);
  std::sort(names.begin(), names.end());
  return names;
}

Result<std::vector<std::string>> FileManager::subpathsOfDirectory(const std::string& path) {
  std::error_code code;
  std::filesystem::recursive_directory_iterator it(path, code), end;
  if (code) return failure(code, "Cannot list", path);
  std::vector<std::string> paths;
  for (; it != end; it.increment(code)) {
    if (code) return failure(code, "Cannot list", path);
    if (isLeftover(it->path().filename().native())) continue;
    paths.push_back(it->path().lexically_relative(path).native());
  }
  if (code) return failure(code, "Cannot list", path);
  std::sort(paths.begin(), paths.end());
  return paths;
}

Result<std::uint64_t> FileManager::freeDiskSpace(const std::string& path) {
  struct statvfs info {};
  if (::statvfs(path.c_str(), &info) != 0) return failure(errno, "Cannot read the free space at", path);
  return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

bool FileManager::isSafePathComponent(std::string_view component) {
  return !component.empty() && component.size() <= NAME_MAX && component != "." && component != ".." &&
         component.find('/') == std::string_view::npos && component.find('\0') == std::string_view::npos;
}

}  // namespace foundation
