#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace foundation {

class RunLoop;

// File and folder operations. Every failure is an error in the POSIX domain whose code is the
// errno value and whose description names the path. Paths made from server data must pass
// isSafePathComponent() for each component before they reach these calls.
class FileManager {
 public:
  // Any thread. Creates the folder and, with intermediates, every missing parent. An existing
  // folder is success; an existing file in the way is an error (EEXIST / ENOTDIR).
  static Status createDirectory(const std::string& path, bool withIntermediates = true);

  // Any thread. Whether anything (a file, a folder, ...) is at the path; symbolic links followed.
  static bool fileExists(const std::string& path);
  // Any thread. Whether a folder is at the path; symbolic links followed.
  static bool isDirectory(const std::string& path);

  // Any thread. Replaces the file's content as one step: the bytes go to a temporary file in the
  // same folder, which is flushed to disk and renamed over the path, and the folder is flushed.
  // A crash or a full disk leaves the previous file as it was. The folder must exist. The file
  // gets `mode` when given (from its first byte on), else keeps the mode of the file it replaces.
  static Status writeAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                                std::optional<unsigned> mode = std::nullopt);
  static Status writeAtomically(const std::string& path, std::string_view text,
                                std::optional<unsigned> mode = std::nullopt);
  // Any thread. As writeAtomically against a crash of the process, without waiting for the disk:
  // a power cut may leave the previous file or an empty one. For notes whose loss costs only a
  // redo, written where a flush would hold up other work.
  static Status writeAtomicallyUnflushed(const std::string& path, std::string_view text);

  // Any thread. The whole content of a regular file.
  static Result<Bytes> readFile(const std::string& path);
  static Result<std::string> readTextFile(const std::string& path);
  // Any thread. At most `maxBytes` of a file: a larger regular file is refused unread, and any
  // other file giving more is refused too (EFBIG). Opening never waits, so a FIFO without a
  // writer reads as empty; reading a FIFO or a device waits for its data, so bound the wait
  // where that could stall others.
  static Result<Bytes> readFile(const std::string& path, std::size_t maxBytes);
  // Any thread. readFile(path, maxBytes) on a thread of its own, so that a FIFO or a file on a
  // hung file system holds only that thread; `done` runs once on `loop`, with the bytes, the
  // failure, or an ETIMEDOUT error when they took longer than `timeout` (on the loop's clock).
  static void readFileInBackground(std::string path, std::size_t maxBytes, Duration timeout, RunLoop& loop,
                                   std::function<void(Result<Bytes>)> done);

  // Any thread. Moves a file or folder, replacing what is at the destination (a folder there is
  // removed first). Works across file systems by copying.
  static Status moveItem(const std::string& from, const std::string& to);
  // Any thread. Copies a file or a folder tree; a file at the destination is replaced atomically.
  static Status copyItem(const std::string& from, const std::string& to);
  // Any thread. Removes a file or a folder with everything in it; nothing there is success.
  static Status removeItem(const std::string& path);

  // Any thread. Size in bytes of what is at the path (symbolic links followed).
  static Result<std::uint64_t> fileSize(const std::string& path);
  // Any thread. Removes the temporary files that atomic writes killed half-way left in the folder
  // (not below it): never one whose writer, in this process or another, still holds its lock. Stores call it when they
  // start, and the first atomic write into a folder in a run calls it too; nothing to remove, or no folder, is success.
  static Status removeStaleTemporaryFiles(const std::string& folder);
  // Any thread. Names of the folder's entries, sorted, without "." and ".." and without the
  // temporary files that an interrupted atomic write may have left.
  static Result<std::vector<std::string>> contentsOfDirectory(const std::string& path);
  // Any thread. Paths relative to the folder of everything below it, recursively, sorted;
  // symbolic links to folders are listed but not entered.
  static Result<std::vector<std::string>> subpathsOfDirectory(const std::string& path);
  // Any thread. Bytes available to this user on the file system holding the path.
  static Result<std::uint64_t> freeDiskSpace(const std::string& path);

  // Any thread; pure. Whether a name from outside (a server id, a file name in a reply) is safe as
  // one path component: not empty, not "." or "..", no "/" and no NUL, at most 255 bytes.
  static bool isSafePathComponent(std::string_view component);
};

}  // namespace foundation
