#include "app/program/StoredProgrammeWatch.h"

#include "platform/foundation/NotificationCenter.h"
#include "src/playback/offline/DBManager.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/playback/player/AudioPlayerView.h"
#include "src/services/shell/AppDelegate.h"

namespace zunoradio {

StoredProgrammeWatch::StoredProgrammeWatch(Console& console, std::function<void()> onNothingLeft)
    : console_(console), onNothingLeft_(std::move(onNothingLeft)) {
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, playback::DownloadManager::kProgramCancelDownload, [this](const foundation::Notification& notification) {
        programmeRemoved(notification.userInfo["ProgramId"].toInt64(-1));
      });
}

StoredProgrammeWatch::~StoredProgrammeWatch() { foundation::NotificationCenter::defaultCenter().removeObserver(this); }

void StoredProgrammeWatch::programmeRemoved(std::int64_t programId) {
  if (!services::AppDelegate::sharedDelegate().isOffline()) return;
  std::shared_ptr<playback::AudioPlayerView> player = playback::AudioPlayerView::sharedAudioPlayer();
  const api::ProgramModelPtr playing = player ? player->program() : nullptr;
  // Another programme playing is not touched by this one leaving.
  if (playing && foundation::Value(playing->programId().value_or("")).toInt64(-1) != programId) return;
  const std::string removed = "Programme " + std::to_string(programId) + " is no longer kept offline";
  std::vector<playback::DownloadDataModelPtr> stored = playback::DBManager::sharedManager().fetchProgramByStatus(1);
  if (stored.empty()) {
    console_.line(removed + ", and no stored programme is left to play offline.");
    onNothingLeft_();
    return;
  }
  if (!player) return;  // nothing plays yet
  const std::string next = std::to_string(stored.front()->programId());
  console_.line(removed + "; playing stored programme " + next + " instead.");
  player->playProgram(next, std::nullopt);
}

}  // namespace zunoradio
