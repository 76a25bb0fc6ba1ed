#pragma once

#include <map>
#include <optional>
#include <string>

#include "app/program/Console.h"

namespace zunoradio {

// The listener's keys that act on the playing programme through the player panel's own buttons
// (keep it offline, collect it, its information, its link), the printing of offline downloads
// song by song, and the panel's pictures written at each song change when asked. Main thread.
class PanelKeys {
 public:
  // `snapshotFolder`: where the panel is drawn, shrunk and expanded, at every new song.
  PanelKeys(Console& console, std::optional<std::string> snapshotFolder);
  ~PanelKeys();
  PanelKeys(const PanelKeys&) = delete;
  PanelKeys& operator=(const PanelKeys&) = delete;

  // Whether the key was one of the panel's (o, f, i, l); it has been acted on when it was.
  bool handleKey(const std::string& key);

 private:
  void keepOffline();
  void collect();
  void printInformation();
  void openLink();
  // The panel asked for a login screen, which nobody can fill in here: it is closed and the
  // listener told how to log in.
  void explainLoginScreen(const std::string& action);
  void songDownloaded(const std::string& programmeId);
  void snapshot();

  Console& console_;
  std::optional<std::string> snapshotFolder_;
  int snapshots_ = 0;
  // Songs stored so far, by programme, as the download manager reports them one by one.
  std::map<std::string, int> storedSongs_;
};

}  // namespace zunoradio
