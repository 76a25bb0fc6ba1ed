#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace playback {

// Where the offline song tree keeps a user's programmes, below the Caches folder:
// "songs/<uid>/<programme id>/" holding "<song id>.mp3", "<song id>.temp" (a partial download
// kept for resume), "program_<programme id>.jpg" and "user.jpg". Every name is built from
// 64-bit integers, so no text from the server ever becomes part of a path.
class DownloadPaths {
 public:
  // Caches + "songs".
  static std::string songsDir();
  // The user id as a number; nullopt unless it is a plain decimal number.
  static std::optional<std::int64_t> userNumber(std::string_view uid);
  // A decimal id read from text; nullopt for anything else (signs, spaces, overflow).
  static std::optional<std::int64_t> idNumber(std::string_view text);

  static std::string programDir(std::int64_t uid, std::int64_t programId);
  static std::string songFile(std::int64_t uid, std::int64_t programId, std::int64_t songId);
  static std::string songTemporaryFile(std::int64_t uid, std::int64_t programId, std::int64_t songId);
  static std::string programPicture(std::int64_t uid, std::int64_t programId);
  static std::string userPicture(std::int64_t uid, std::int64_t programId);
};

}  // namespace playback
