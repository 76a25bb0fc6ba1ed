#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/program/Console.h"
#include "src/playback/offlinescreens/OfflineViewController.h"

namespace zunoradio {

// The listener's keys on the offline programmes, through the offline screen's own operations:
// list them with their states and progress (w), pause or resume downloading (d) and play them
// all (a). With a snapshot folder, w also draws the offline list and the offline settings there.
// Main thread.
class OfflineKeys {
 public:
  OfflineKeys(Console& console, std::optional<std::string> snapshotFolder);

  // Whether the key was one of these (w, d, a); it has been acted on when it was.
  bool handleKey(const std::string& key);

 private:
  void list();
  void pauseOrResume();
  void playAll();
  void snapshot();
  playback::OfflineViewController& screen();

  Console& console_;
  std::optional<std::string> snapshotFolder_;
  std::shared_ptr<playback::OfflineViewController> screen_;
};

}  // namespace zunoradio
