#include "src/http/GzipFileTransform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "src/http/HTTPRequestErrors.h"

namespace http {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now; some file systems report a failed write only here.
  bool close() {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Fills `buffer` as far as the file allows; a short count means the end was reached.
ssize_t readFully(int fd, std::uint8_t* buffer, std::size_t capacity) {
  std::size_t filled = 0;
  while (filled < capacity) {
    ssize_t n = ::read(fd, buffer + filled, capacity - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    filled += static_cast<std::size_t>(n);
  }
  return static_cast<ssize_t>(filled);
}

bool writeFully(int fd, const std::uint8_t* bytes, std::size_t length) {
  while (length > 0) {
    ssize_t n = ::write(fd, bytes, length);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    bytes += n;
    length -= static_cast<std::size_t>(n);
  }
  return true;
}

foundation::ErrorPtr fileError(std::string description, foundation::ErrorPtr underlying = nullptr) {
  return makeRequestError(HTTPRequestErrorCode::compression, std::move(description), std::move(underlying));
}

}  // namespace

foundation::Status transformGzipFile(const std::string& sourcePath, const std::string& destinationPath,
                                     const GzipFileSteps& steps) {
  FileDescriptor destination(::open(destinationPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!destination.valid()) {
    return fileError(steps.verb + " of " + sourcePath + " failed because we were to create a file at " +
                     destinationPath);
  }
  struct stat info {};
  if (::stat(sourcePath.c_str(), &info) != 0) {
    return fileError(steps.verb + " of " + sourcePath + " failed the file does not exist");
  }
  FileDescriptor source(::open(sourcePath.c_str(), O_RDONLY | O_CLOEXEC));
  auto readError = [&](int errnoValue) {
    return fileError(
        steps.verb + " of " + sourcePath + " failed because we were unable to read from the source data file",
        foundation::posixError(errnoValue, "read " + sourcePath));
  };
  if (!source.valid()) return readError(errno);
  auto writeError = [&](const char* operation) {
    return fileError(steps.verb + " of " + sourcePath +
                         " failed because we were unable to write to the destination data file at " + destinationPath,
                     foundation::posixError(errno, std::string(operation) + " " + destinationPath));
  };

  // One chunk is read ahead so that the chunk reaching the end of the source is known as the last.
  std::vector<std::uint8_t> current(kGzipFileChunkSize), next(kGzipFileChunkSize);
  ssize_t currentLength = readFully(source.get(), current.data(), current.size());
  while (currentLength != 0) {
    if (currentLength < 0) return readError(errno);
    ssize_t nextLength = readFully(source.get(), next.data(), next.size());
    if (nextLength < 0) return readError(errno);
    auto produced = steps.transform(current.data(), static_cast<std::size_t>(currentLength), nextLength == 0);
    if (!produced.ok()) return produced.error();
    if (!writeFully(destination.get(), produced->data(), produced->size())) return writeError("write");
    std::swap(current, next);
    currentLength = nextLength;
  }
  if (!destination.close()) return writeError("close");
  return steps.close();
}

}  // namespace http
