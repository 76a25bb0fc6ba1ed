#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/program/CommandLine.h"
#include "app/program/Console.h"
#include "app/program/OfflineKeys.h"
#include "app/program/PanelKeys.h"
#include "app/program/PlayerWatch.h"
#include "app/program/StoredProgrammeWatch.h"
#include "app/station/SampleStation.h"
#include "platform/foundation/NotificationCenter.h"
#include "src/framework/network/Reachability.h"

namespace zunoradio {

// A web-API call's answer, or why there was none.
struct CallOutcome;

// The program around the player: it chooses the server (the sample station or the one given),
// starts the application in the order the shell does, presses play as a listener would, turns
// keys into the player's own operations and prints what happens. Main thread.
class RadioProgram {
 public:
  RadioProgram(ProgramOptions options, Console& console);
  ~RadioProgram();
  RadioProgram(const RadioProgram&) = delete;
  RadioProgram& operator=(const RadioProgram&) = delete;

  // Starts up; false (after printing why) when the program cannot go on.
  bool start();
  // One line of keys ("p", "c 11", "t 15", ...). Before the start has ended, q ends it and any
  // other key waits for it, which is said.
  void handleKey(const std::string& line);
  // Gives the web-API calls under way (the last play log above all, and the stored ones it sent
  // for) `patience` to arrive, then says how many play logs are left for the next run.
  void letRequestsFinish(foundation::Duration patience = foundation::Duration(3));
  // Whether the program has finished (q, or the asked number of songs ended).
  bool finished() const { return finished_; }
  // Whether the listener asked to quit (q, Ctrl-C), which also ends a start under way.
  bool quitAsked() const { return quitAsked_; }

 private:
  CallOutcome waitFor(const std::shared_ptr<CallOutcome>& outcome);
  bool chooseServer();
  void startReachability(const std::string& serverUrl);
  bool showStation(const CallOutcome& outcome);
  bool logIn();
  void observeSleepTimer();
  void handleSleepKey(const std::string& argument);
  void fail(const std::string& sentence);

  ProgramOptions options_;
  Console& console_;
  std::string serverDescription_;
  std::unique_ptr<station::SampleStation> station_;
  std::shared_ptr<framework::Reachability> reachability_;
  std::unique_ptr<PlayerWatch> playerWatch_;
  std::unique_ptr<PanelKeys> panelKeys_;
  std::unique_ptr<OfflineKeys> offlineKeys_;
  std::unique_ptr<StoredProgrammeWatch> storedProgrammeWatch_;
  bool started_ = false;
  std::vector<std::string> keysBeforeStart_;
  bool finished_ = false;
  bool quitAsked_ = false;
};

}  // namespace zunoradio
