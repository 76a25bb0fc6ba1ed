#include "app/program/PlayerWatch.h"

#include <cmath>
#include <cstdlib>
#include <utility>

#include "platform/foundation/Json.h"
#include "platform/ui/AlertView.h"
#include "src/framework/ui/Toast.h"
#include "src/playback/managers/PlayApiManager.h"
#include "src/playback/player/AudioPlayerView.h"
#include "src/services/shell/AppDelegate.h"

namespace zunoradio {
namespace {

constexpr foundation::Duration kLoadWait{15};

playback::AudioPlayerView& player() { return *playback::AudioPlayerView::sharedAudioPlayer(); }

std::string clockText(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0) return "-:--";
  const auto whole = static_cast<long long>(seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
  return text;
}

// The keys that press an alert's buttons, for example "b 1 删除, b 2 放弃".
std::string answerKeys(const ui::AlertView& alert) {
  std::string keys;
  for (int i = 0; i < alert.numberOfButtons(); ++i) {
    keys += (i ? ", b " : "b ") + std::to_string(i + 1) + " " + alert.buttonTitle(i);
  }
  return keys;
}

const char* actionName(const std::string& action) {
  if (action == "0") return "ended";
  if (action == "1") return "skipped";
  if (action == "2") return "replaced";
  return "?";
}

// The answer as the end of a sentence: the server's "err", or why there was none.
std::string serverSaid(const std::string& answer) {
  constexpr std::string_view kNoAnswer = "no answer (";
  if (answer.starts_with(kNoAnswer) && answer.ends_with(')'))
    return "; no answer came (" + sentenceEnd(answer.substr(kNoAnswer.size(), answer.size() - kNoAnswer.size() - 1)) +
           ").";
  if (answer == "cancelled") return "; it was cancelled.";
  return "; the server answered " + answer + ".";
}

std::size_t recordsInBatch(const std::string& logs) {
  foundation::Result<foundation::Value> batch = foundation::Json::parse(logs);
  return batch && batch->isArray() ? batch->getArray()->size() : 0;
}

}  // namespace

PlayerWatch::PlayerWatch(Console& console, std::optional<int> songs, std::function<void()> onSongsDone)
    : console_(console), songs_(songs), onSongsDone_(std::move(onSongsDone)) {
  auto& centre = foundation::NotificationCenter::defaultCenter();
  centre.addObserver(this, playback::kSongSourceDidLoadedNotification,
                     [this](const foundation::Notification&) { songSourceLoaded(); });
  // Every play or pause, from the keys or from the desktop's media controls.
  centre.addObserver(this, playback::kPlayerStopOrStartNotification, [this](const foundation::Notification&) {
    console_.line(player().isPlaying() ? "Playing." : "Paused.");
  });
  player().controller().setOnGivenUp(
      [this](const api::SongModelPtr& song, const std::string& reason) { songGivenUp(song, reason); });
  // A programme is announced as it arrives, before anything of it plays or fails to.
  player().controller().setOnListStarted([this] { printProgramIfNew(); });
  ticker_ = foundation::RunLoop::main().scheduleTimer(foundation::Duration(1), true, [this] { tick(); });
  playback::PlayApiManager::setSendObserver(
      [this](const foundation::Dictionary& sent, bool accepted, const std::string& answer) {
        printPlayLogAnswer(sent, accepted, answer);
      });
  playback::PlayApiManager::setKeepObserver([this](std::size_t waiting) {
    console_.line("Play log stored for later (" + std::to_string(waiting) + " waiting).");
  });
  framework::toast::setShowListener([this](const std::string& text) {
    if (!text.empty()) console_.line("Notice: " + text);
  });
  ui::AlertView::setShowObserver([this](const ui::AlertView& alert) { printAlert(alert); });
}

PlayerWatch::~PlayerWatch() {
  player().controller().setOnGivenUp({});
  player().controller().setOnListStarted({});
  ui::AlertView::setShowObserver({});
  framework::toast::setShowListener({});
  playback::PlayApiManager::setSendObserver({});
  playback::PlayApiManager::setKeepObserver({});
  foundation::NotificationCenter::defaultCenter().removeObserver(this);
  if (ticker_) ticker_->invalidate();
}

bool PlayerWatch::loadPanel(bool announce, const std::function<bool()>& quitAsked) {
  auto pane = services::AppDelegate::sharedDelegate().getMainController();
  if (!pane->audioPlayerView()) return false;
  sayPlayingOnAir_ = announce;
  foundation::RunLoop::main().runUntil([&] { return player().program() != nullptr || quitAsked(); }, kLoadWait);
  if (announce) printProgramIfNew();
  return player().program() != nullptr;
}

void PlayerWatch::pressPlay() { playOrPause(); }

void PlayerWatch::playOrPause() {
  if (sayIfNothingToPlay()) return;
  player().handleStartAndPauseButtonEvent();
}

void PlayerWatch::next() {
  if (sayIfNothingToPlay()) return;
  commanded_ = true;
  player().handleNextSongButtonClickEvent();
}

// An empty list gives the keys that play or skip nothing to do; the listener is told what does.
bool PlayerWatch::sayIfNothingToPlay() {
  if (!player().musicListArray().empty()) return false;
  console_.line(
      "Nothing to play: choose a channel with c ID, a programme with g ID, or the offline programmes with a.");
  return true;
}

void PlayerWatch::playChannel(const std::string& channelId) {
  commanded_ = true;
  // Nothing announced yet: the channel is the start's, and it plays as a press of play at the
  // start would, which is said the same way.
  sayPlayingOnAir_ = shownProgramId_.empty();
  console_.line("Tuning to channel " + channelId + ".");
  player().controller().playChannel(channelId, [this, channelId](const std::string& why) {
    commanded_ = false;  // the song on air was not replaced
    sayPlayingOnAir_ = false;
    console_.line("Channel " + channelId + " cannot be played: " + sentenceEnd(why) + "; what played goes on.");
  });
}

// The song stopped without ending: it is not counted as one that ended. One that played a while
// was cut short, and its play log, which says it ended, is printed as such.
void PlayerWatch::songGivenUp(const api::SongModelPtr& song, const std::string& reason) {
  printProgramIfNew();
  const std::string what = song ? song->songName().value_or("song " + song->songId().value_or("?")) : "the advert";
  const std::string why = reason.empty() ? "it failed" : sentenceEnd(reason);
  const double heard = player().controller().position();
  if (song && std::isfinite(heard) && heard >= 1) {
    cutShort_[song->songId().value_or("")] = std::to_string(static_cast<std::int64_t>(heard));
    console_.line(what + " was cut short after " + clockText(heard) + ": " + why + ".");
  } else {
    console_.line("Cannot play " + what + ": " + why + ".");
  }
  hadItem_ = false;
}

void PlayerWatch::playProgram(const std::string& programId) {
  commanded_ = true;
  console_.line("Opening programme " + programId + ".");
  player().controller().playProgram(programId, std::nullopt, true, [this, programId](const std::string& why) {
    commanded_ = false;  // the song on air was not replaced
    console_.line("Programme " + programId + " cannot be played: " + sentenceEnd(why) + "; what played goes on.");
  });
}

// A new item is ready: an advert or a song. The one before it ended by itself unless a
// command replaced it.
void PlayerWatch::songSourceLoaded() {
  printProgramIfNew();
  const bool previousEnded = hadItem_ && !commanded_;
  commanded_ = false;
  hadItem_ = true;
  if (player().isAdvertisement()) {
    console_.line("\xE2\x96\xB6 Advert · " + clockText(player().controller().duration()));
  } else if (const api::SongModelPtr& song = player().selectedSong()) {
    const api::ProgramModelPtr& programme = player().program();
    songNames_[song->songId().value_or("")] = song->songName().value_or("?");
    console_.line("\xE2\x96\xB6 " + song->songName().value_or("?") + " — " + song->artistsName().value_or("?") +
                  (programme ? " · " + programme->programName().value_or("") : std::string()) + " · " +
                  clockText(player().controller().duration()));
  }
  if (previousEnded && wasSong_) ++songEnds_;
  wasSong_ = !player().isAdvertisement();
  if (songs_ && songEnds_ >= *songs_) onSongsDone_();
}

void PlayerWatch::tick() {
  if (!player().isPlaying()) return;
  const api::SongModelPtr& song = player().selectedSong();
  const std::string what = player().isAdvertisement() ? "Advert" : song ? song->songName().value_or("") : "";
  console_.status("  " + clockText(player().controller().position()) + " / " +
                  clockText(player().controller().duration()) + "  " + what);
}

void PlayerWatch::printProgramIfNew() {
  const api::ProgramModelPtr& programme = player().program();
  if (!programme || programme->programId().value_or("") == shownProgramId_) return;
  const bool continuation = !shownProgramId_.empty() && !commanded_;
  shownProgramId_ = programme->programId().value_or("");
  const std::string description = programme->programName().value_or("?") + " (programme " + shownProgramId_ +
                                  (programme->user() ? ", DJ " + programme->user()->uname().value_or("?") : "") + ", " +
                                  counted(player().musicListArray().size(), "song", "songs") + ")";
  const auto& channel = services::AppDelegate::sharedDelegate().getMainController()->app_ChannelId();
  if (continuation && channel)
    console_.line("Channel " + *channel + " goes on with " + description + ".");
  else
    console_.line("On air: " + description + ".");
  if (std::exchange(sayPlayingOnAir_, false) && player().isPlaying()) console_.line("Playing.");
}

// What the server said to a play record, or to a batch of stored ones.
void PlayerWatch::printPlayLogAnswer(const foundation::Dictionary& sent, bool accepted, const std::string& answer) {
  const std::string said = serverSaid(answer);
  if (const std::string* logs = sent["js_logs"].getString()) {
    const std::size_t records = recordsInBatch(*logs);
    console_.line(std::string(accepted ? "Stored play logs sent" : "Stored play logs not taken") + " (" +
                  counted(records, "record", "records") + ")" + said);
    return;
  }
  const std::string* songId = sent["song_id"].getString();
  const auto name = songId ? songNames_.find(*songId) : songNames_.end();
  const std::string song = name != songNames_.end() ? name->second : "song " + (songId ? *songId : std::string("?"));
  auto field = [&](const char* key) {
    const std::string* value = sent[key].getString();
    return value ? *value : std::string("?");
  };
  std::string action = actionName(field("action"));
  const auto cut = songId ? cutShort_.find(*songId) : cutShort_.end();
  if (cut != cutShort_.end() && field("action") == "0" && cut->second == field("real_duration")) {
    action = "cut short";
    cutShort_.erase(cut);
  }
  console_.line(std::string(accepted ? "Play log sent: " : "Play log not taken: ") + song + ", " +
                field("real_duration") + " of " + field("song_duration") + " s heard, " + action + said);
}

void PlayerWatch::printAlert(const ui::AlertView& alert) {
  console_.line("Alert: " + alert.title().value_or("") + (alert.message() ? " — " + *alert.message() : "") + " (" +
                answerKeys(alert) + ")");
}

void PlayerWatch::answerAlert(const std::string& button) {
  const auto alerts = ui::AlertView::visibleAlerts();
  if (alerts.empty()) {
    console_.line("No alert is waiting for an answer.");
    return;
  }
  ui::AlertView& alert = *alerts.back();
  const int number = std::atoi(button.c_str());
  if (button != std::to_string(number) || number < 1 || number > alert.numberOfButtons()) {
    console_.line("Answer with " + answerKeys(alert) + ".");
    return;
  }
  alert.pressButton(number - 1);
}

}  // namespace zunoradio
