#include "src/playback/offline/DownloadPaths.h"

#include <charconv>

#include "src/framework/util/WDTools.h"

namespace playback {

std::string DownloadPaths::songsDir() { return framework::WDTools::getCachesFileDir() + "/songs"; }

std::optional<std::int64_t> DownloadPaths::idNumber(std::string_view text) {
  if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
  std::int64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<std::int64_t> DownloadPaths::userNumber(std::string_view uid) { return idNumber(uid); }

std::string DownloadPaths::programDir(std::int64_t uid, std::int64_t programId) {
  return songsDir() + "/" + std::to_string(uid) + "/" + std::to_string(programId);
}

std::string DownloadPaths::songFile(std::int64_t uid, std::int64_t programId, std::int64_t songId) {
  return programDir(uid, programId) + "/" + std::to_string(songId) + ".mp3";
}

std::string DownloadPaths::songTemporaryFile(std::int64_t uid, std::int64_t programId, std::int64_t songId) {
  return programDir(uid, programId) + "/" + std::to_string(songId) + ".temp";
}

std::string DownloadPaths::programPicture(std::int64_t uid, std::int64_t programId) {
  return programDir(uid, programId) + "/program_" + std::to_string(programId) + ".jpg";
}

std::string DownloadPaths::userPicture(std::int64_t uid, std::int64_t programId) {
  return programDir(uid, programId) + "/user.jpg";
}

}  // namespace playback
