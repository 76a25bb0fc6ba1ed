#pragma once

#include <cstdint>
#include <string>

#include "platform/ui/Image.h"

namespace playback {

// What the playback controller shows on the player panel. The panel view implements what it has
// views for; every method does nothing by default. Main thread.
class PlayerPanel {
 public:
  virtual ~PlayerPanel() = default;

  // A load began (loading view in place of the current-time label) or the sound is coming.
  virtual void showLoading(bool /*loading*/) {}
  // The play/pause pictures.
  virtual void showPlaying(bool /*playing*/) {}
  // The position slider, the circular slider and the current-time label; seconds may be NaN.
  virtual void showPosition(double /*seconds*/) {}
  // The sliders' maximum and the total-time label, in whole seconds.
  virtual void showDuration(std::int64_t /*seconds*/) {}
  // Whether the position slider may be dragged.
  virtual void enableSeeking(bool /*enabled*/) {}

  // The song's row: activity indicator, playing picture, or its index label again.
  virtual void showSongRowLoading(const std::string& /*songId*/) {}
  virtual void showSongRowPlaying(const std::string& /*songId*/) {}
  virtual void resetSongRow(const std::string& /*songId*/) {}
  virtual void reloadSongTable() {}

  // Fills the panel for a new list (titles, cover, creator), hiding the creator panel first.
  virtual void setAudioView() {}
  // The collapsed top bar shows the current song.
  virtual void configTopViewWithSong() {}
  // The song table shown and the panel pulled up, as a start from a screen does.
  virtual void pullUp() {}

  // The download and collect buttons follow the programme's flags; "已离线" on the download button.
  virtual void refreshProgrammeButtons() {}
  virtual void showProgrammeDownloaded() {}
  // Share, collect, download and creator buttons, which need the online mode.
  virtual void enableOnlineButtons(bool /*enabled*/) {}
  // The timer button's picture while the sleep timer counts.
  virtual void showTimerRunning(bool /*running*/) {}

  // The cover picture for the lock screen; null while there is none.
  virtual ui::ImagePtr coverImage() const { return nullptr; }
  // Where the cover picture is kept on disk; empty while it is not.
  virtual std::string coverImageFile() const { return {}; }
};

}  // namespace playback
