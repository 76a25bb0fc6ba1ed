#pragma once

#include <string>

namespace playback {

// Administering a song album: putting it on or off the shelf, recommending it as new or
// withdrawing that. Main thread only.
class SAlbumApiManager {
 public:
  static constexpr const char* kSalbumIsUp = "SalbumIsUp";
  static constexpr const char* kSalbumIsDown = "SalbumIsDown";
  static constexpr const char* kSalbumIsRecommond = "SalbumIsRecommond";
  static constexpr const char* kSalbumIsCancel = "SalbumIsCancel";

  static void activeSAlbum(const std::string& salbumId, bool active);
  static void newSAlbum(const std::string& salbumId, bool isNew);
};

}  // namespace playback
