#include "platform/foundation/OutputFileStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

namespace foundation {
namespace {

constexpr std::size_t kReadChunk = 262144;
// What one kernel copy is asked for; it may do less, and is asked again.
constexpr std::size_t kKernelCopyChunk = std::size_t{1} << 30;

ErrorPtr failure(int errnoValue, const std::string& what, const std::string& path) {
  return posixError(errnoValue, what + " \"" + path + "\"");
}

// A file opened for reading, closed when it goes; fd is -1 when it could not be opened.
struct SourceFile {
  explicit SourceFile(const std::string& path) : fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  SourceFile(const SourceFile&) = delete;
  SourceFile& operator=(const SourceFile&) = delete;
  ~SourceFile() {
    if (fd >= 0) ::close(fd);
  }
  int fd;
};

}  // namespace

Result<OutputFileStream> OutputFileStream::open(const std::string& path, Mode mode) {
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == Mode::Append ? O_APPEND : O_TRUNC);
  int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) return failure(errno, "Cannot open for writing", path);
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    int error = errno;
    ::close(fd);
    return failure(error, "Cannot open for writing", path);
  }
  std::uint64_t size = S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
  return OutputFileStream(path, fd, mode == Mode::Append ? size : 0);
}

OutputFileStream::OutputFileStream(std::string path, int fd, std::uint64_t offset)
    : path_(std::move(path)), fd_(fd), offset_(offset) {}

OutputFileStream::OutputFileStream(OutputFileStream&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)), offset_(other.offset_) {}

OutputFileStream& OutputFileStream::operator=(OutputFileStream&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    path_ = std::move(other.path_);
    fd_ = std::exchange(other.fd_, -1);
    offset_ = other.offset_;
  }
  return *this;
}

OutputFileStream::~OutputFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

Status OutputFileStream::write(std::span<const std::uint8_t> bytes) {
  if (fd_ < 0) return failure(EBADF, "Cannot write to closed", path_);
  const std::uint8_t* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    ssize_t written = ::write(fd_, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return failure(errno, "Cannot write", path_);
    }
    data += written;
    left -= static_cast<std::size_t>(written);
    offset_ += static_cast<std::uint64_t>(written);
  }
  return Status::success();
}

Status OutputFileStream::write(std::string_view text) {
  return write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

Status OutputFileStream::appendReadableContentsOfFile(const std::string& path) {
  if (fd_ < 0) return failure(EBADF, "Cannot write to closed", path_);
  SourceFile source(path);
  if (source.fd < 0) return Status::success();
  // Both files' positions move with each copy, so the loop below goes on from wherever the kernel
  // stopped: at the end, or where it cannot copy (another file system on an older kernel, a pipe,
  // an appending stream, a file of /proc that gives its bytes only to read()).
  for (;;) {
    ssize_t copied = ::copy_file_range(source.fd, nullptr, fd_, nullptr, kKernelCopyChunk, 0);
    if (copied > 0) {
      offset_ += static_cast<std::uint64_t>(copied);
    } else if (copied == 0 || errno != EINTR) {
      break;
    }
  }
  std::vector<std::uint8_t> chunk(kReadChunk);
  for (;;) {
    ssize_t count = ::read(source.fd, chunk.data(), chunk.size());
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return Status::success();
    if (Status written = write(std::span(chunk.data(), static_cast<std::size_t>(count))); !written.ok()) return written;
  }
}

Status OutputFileStream::synchronize() {
  if (fd_ < 0) return failure(EBADF, "Cannot flush closed", path_);
  // Devices and pipes cannot be flushed; there is nothing to lose on them.
  if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS) return failure(errno, "Cannot flush", path_);
  return Status::success();
}

Status OutputFileStream::close() {
  if (fd_ < 0) return Status::success();
  int result = ::close(std::exchange(fd_, -1));
  if (result != 0 && errno != EINTR) return failure(errno, "Cannot finish writing", path_);
  return Status::success();
}

}  // namespace foundation
