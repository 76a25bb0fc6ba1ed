#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/foundation/Result.h"

namespace foundation {

// A file written piece by piece, as a download arrives. Nothing is buffered: each write() goes
// to the system at once, so a full disk or any other write failure comes back from that very
// call, and offset() always counts the bytes that are really in the file (a download that fails
// can resume from there). Used by one thread at a time; movable, not copyable.
class OutputFileStream {
 public:
  enum class Mode { Truncate, Append };

  // Any thread. Opens (creating when missing) the file; Append keeps what is there and writes
  // after it, Truncate empties it. The folder must exist.
  static Result<OutputFileStream> open(const std::string& path, Mode mode);

  OutputFileStream(OutputFileStream&& other) noexcept;
  OutputFileStream& operator=(OutputFileStream&& other) noexcept;
  OutputFileStream(const OutputFileStream&) = delete;
  OutputFileStream& operator=(const OutputFileStream&) = delete;
  // Closes the file when still open; close() first to learn about a failure.
  ~OutputFileStream();

  // The owning thread. Writes all the bytes or fails (ENOSPC for a full disk, EBADF when closed).
  Status write(std::span<const std::uint8_t> bytes);
  Status write(std::string_view text);
  // The owning thread. Appends what can be read of the file at `path`. The kernel copies it where
  // it can (copy_file_range: no trip through this process, and shared blocks on a file system
  // that can share them), else a loop of reads and writes in chunks of 256 KiB does. A source
  // that cannot be opened or read adds nothing more and is no failure of this stream: the Status
  // is a failure to write.
  Status appendReadableContentsOfFile(const std::string& path);
  // The owning thread. Flushes the written bytes to the disk.
  Status synchronize();
  // The owning thread. Closes the file; reports a failure that only closing reveals.
  Status close();

  // The owning thread. Size of the file as written through this stream.
  std::uint64_t offset() const { return offset_; }
  bool isOpen() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }

 private:
  OutputFileStream(std::string path, int fd, std::uint64_t offset);

  std::string path_;
  int fd_ = -1;
  std::uint64_t offset_ = 0;
};

}  // namespace foundation
