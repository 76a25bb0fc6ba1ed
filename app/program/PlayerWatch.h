#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/program/Console.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "src/api/models/SongModel.h"

namespace ui {
class AlertView;
}

namespace zunoradio {

// The program's side of the player panel: it has the main pane load the panel, hands the
// listener's commands to the panel's own operations and prints what the panel does: the
// programme, each song or advert as it starts, the position, play logs, channel continuation,
// toasts and alerts. Main thread.
class PlayerWatch {
 public:
  // `songs`: after that many song ends `onSongsDone` runs.
  PlayerWatch(Console& console, std::optional<int> songs, std::function<void()> onSongsDone);
  ~PlayerWatch();
  PlayerWatch(const PlayerWatch&) = delete;
  PlayerWatch& operator=(const PlayerWatch&) = delete;

  // The main pane's first load, which builds the panel and loads what is on air (or the
  // programme of a launching notification); false when nothing arrived in time or `quitAsked`
  // ended the wait. `announce`: the programme loaded is the one that will play, to be printed,
  // and said to play when it plays at once.
  bool loadPanel(bool announce, const std::function<bool()>& quitAsked);
  // One press of the panel's play button.
  void pressPlay();
  void playOrPause();
  void next();
  void playChannel(const std::string& channelId);
  void playProgram(const std::string& programId);
  // Presses the button numbered `button` (from 1, as printed) of the newest alert on screen.
  void answerAlert(const std::string& button);

  // Song ends seen so far.
  int songEnds() const { return songEnds_; }

 private:
  void songSourceLoaded();
  void songGivenUp(const api::SongModelPtr& song, const std::string& reason);
  void tick();
  void printProgramIfNew();
  bool sayIfNothingToPlay();
  void printPlayLogAnswer(const foundation::Dictionary& sent, bool accepted, const std::string& answer);
  void printAlert(const ui::AlertView& alert);

  Console& console_;
  std::optional<int> songs_;
  std::function<void()> onSongsDone_;
  std::shared_ptr<foundation::Timer> ticker_;
  std::string shownProgramId_;
  bool commanded_ = false;  // a command replaced what was playing since the last item
  bool hadItem_ = false;
  bool wasSong_ = false;  // the last item was a song, not an advert
  int songEnds_ = 0;
  std::map<std::string, std::string> songNames_;  // song id -> title, of the songs that started
  std::map<std::string, std::string> cutShort_;   // song id -> whole seconds heard, of songs cut short
  bool sayPlayingOnAir_ = false;                  // "Playing." follows the next "On air:" line
};

}  // namespace zunoradio
