#include "app/program/PlayerWatch.h"

#include <cmath>
#include <cstdlib>

#include "platform/foundation/Json.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Label.h"
#include "platform/ui/Window.h"
#include "src/playback/managers/PlayApiManager.h"
#include "src/playback/player/AudioPlayerView.h"
#include "src/services/shell/AppDelegate.h"

namespace zunoradio {
namespace {

constexpr foundation::Duration kLoadWait{15};
constexpr int kAdvertViewTag = 10000;

playback::AudioPlayerView& player() { return *playback::AudioPlayerView::sharedAudioPlayer(); }

std::string clockText(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0) return "-:--";
  const auto whole = static_cast<long long>(seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
  return text;
}

// The texts of every label in the view's tree, joined by spaces.
std::string labelTexts(const ui::View& view) {
  std::string texts;
  if (const auto* label = dynamic_cast<const ui::Label*>(&view); label && !label->text().empty()) texts = label->text();
  for (const auto& child : view.subviews()) {
    const std::string inner = labelTexts(*child);
    if (!inner.empty()) texts += (texts.empty() ? "" : " ") + inner;
  }
  return texts;
}

std::size_t storedPlayLogs() { return playback::PlayApiManager::storedRecordCount(); }

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

std::size_t recordsInBatch(const std::string& logs) {
  foundation::Result<foundation::Value> batch = foundation::Json::parse(logs);
  return batch && batch->isArray() ? batch->getArray()->size() : 0;
}

}  // namespace

PlayerWatch::PlayerWatch(Console& console, std::optional<int> songs, std::function<void()> onSongsDone)
    : console_(console), songs_(songs), onSongsDone_(std::move(onSongsDone)), storedLogs_(storedPlayLogs()) {
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, playback::kSongSourceDidLoadedNotification,
      [this](const foundation::Notification&) { songSourceLoaded(); });
  ticker_ = foundation::RunLoop::main().scheduleTimer(foundation::Duration(1), true, [this] { tick(); });
  playback::PlayApiManager::setSendObserver(
      [this](const foundation::Dictionary& sent, bool accepted, const std::string& answer) {
        printPlayLogAnswer(sent, accepted, answer);
      });
}

PlayerWatch::~PlayerWatch() {
  playback::PlayApiManager::setSendObserver({});
  foundation::NotificationCenter::defaultCenter().removeObserver(this);
  if (ticker_) ticker_->invalidate();
}

bool PlayerWatch::loadPanel() {
  auto pane = services::AppDelegate::sharedDelegate().getMainController();
  if (!pane->audioPlayerView()) return false;
  foundation::RunLoop::main().runUntil([] { return player().program() != nullptr; }, kLoadWait);
  if (ui::Window* window = ui::Application::shared().keyWindow())
    for (const auto& view : window->subviews()) seenWindowViews_.insert(view.get());
  printProgramIfNew();
  return player().program() != nullptr;
}

void PlayerWatch::pressPlay() { playOrPause(); }

void PlayerWatch::playOrPause() {
  player().handleStartAndPauseButtonEvent();
  console_.line(player().isPlaying() ? "Playing." : "Paused.");
  printNewToastsAndAlerts();
}

void PlayerWatch::next() {
  commanded_ = true;
  player().handleNextSongButtonClickEvent();
  printNewToastsAndAlerts();
}

void PlayerWatch::playChannel(const std::string& channelId) {
  commanded_ = true;
  console_.line("Tuning to channel " + channelId + ".");
  player().playChannel(channelId);
}

void PlayerWatch::playProgram(const std::string& programId) {
  commanded_ = true;
  console_.line("Opening programme " + programId + ".");
  player().playProgram(programId, std::nullopt);
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
  printStoredLogs();
  printNewToastsAndAlerts();
  if (previousEnded && wasSong_) ++songEnds_;
  wasSong_ = !player().isAdvertisement();
  if (songs_ && songEnds_ >= *songs_) onSongsDone_();
}

void PlayerWatch::tick() {
  printNewToastsAndAlerts();
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
}

void PlayerWatch::printStoredLogs() {
  const std::size_t stored = storedPlayLogs();
  if (stored > storedLogs_) console_.line("Play log stored for later (" + std::to_string(stored) + " waiting).");
  storedLogs_ = stored;
}

// What the server said to a play record, or to a batch of stored ones.
void PlayerWatch::printPlayLogAnswer(const foundation::Dictionary& sent, bool accepted, const std::string& answer) {
  const std::string said = "; the server answered " + answer + ".";
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
  console_.line(std::string(accepted ? "Play log sent: " : "Play log not taken: ") + song + ", " +
                field("real_duration") + " of " + field("song_duration") + " s heard, " + actionName(field("action")) +
                said);
}

// Toasts and alerts are drawn over the window; here they become lines of text.
void PlayerWatch::printNewToastsAndAlerts() {
  if (ui::Window* window = ui::Application::shared().keyWindow()) {
    std::set<const void*> present;
    for (const auto& view : window->subviews()) {
      present.insert(view.get());
      if (seenWindowViews_.contains(view.get()) || view->tag() == kAdvertViewTag) continue;
      const std::string text = labelTexts(*view);
      if (!text.empty()) console_.line("Notice: " + text);
    }
    seenWindowViews_ = std::move(present);
  }
  for (const auto& alert : ui::AlertView::visibleAlerts()) {
    if (!seenAlerts_.insert(alert.get()).second) continue;
    console_.line("Alert: " + alert->title().value_or("") + (alert->message() ? " — " + *alert->message() : "") + " (" +
                  answerKeys(*alert) + ")");
  }
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
