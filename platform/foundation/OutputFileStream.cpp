#include "platform/foundation/OutputFileStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace foundation {
namespace {

ErrorPtr failure(int errnoValue, const std::string& what, const std::string& path) {
  return posixError(errnoValue, what + " \"" + path + "\"");
}

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
