#include "app/program/PanelKeys.h"

#include <cstdio>
#include <filesystem>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Value.h"
#include "platform/ui/Application.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/Window.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/playback/player/AudioPlayerView.h"
#include "src/services/account/LoginViewController.h"
#include "src/services/shell/AppDelegate.h"

namespace zunoradio {

namespace {

playback::AudioPlayerView& player() { return *playback::AudioPlayerView::sharedAudioPlayer(); }

std::string text(const std::optional<std::string>& value) { return value && !value->empty() ? *value : "—"; }

}  // namespace

PanelKeys::PanelKeys(Console& console, std::optional<std::string> snapshotFolder)
    : console_(console), snapshotFolder_(std::move(snapshotFolder)) {
  auto& centre = foundation::NotificationCenter::defaultCenter();
  centre.addObserver(this, playback::DownloadManager::kSongIsDownloaded, [this](const foundation::Notification& note) {
    songDownloaded(note.userInfo["ProgramId"].toString());
  });
  centre.addObserver(this, playback::DownloadManager::kProgramIsDownloaded,
                     [this](const foundation::Notification& note) {
                       console_.line("Programme " + note.userInfo["ProgramId"].toString() + " is kept offline.");
                     });
  if (snapshotFolder_)
    centre.addObserver(this, playback::kSongSourceDidLoadedNotification,
                       [this](const foundation::Notification&) { snapshot(); });
}

PanelKeys::~PanelKeys() { foundation::NotificationCenter::defaultCenter().removeObserver(this); }

bool PanelKeys::handleKey(const std::string& key) {
  if (key == "o")
    keepOffline();
  else if (key == "f")
    collect();
  else if (key == "i")
    printInformation();
  else if (key == "l")
    openLink();
  else
    return false;
  return true;
}

void PanelKeys::keepOffline() {
  player().handleAudioPlayerDownloadButtonClickEvent();
  explainLoginScreen("Keeping a programme offline");
}

void PanelKeys::collect() {
  player().handleAudioPlayerFavButtonClickEvent();
  explainLoginScreen("Collecting a programme");
}

void PanelKeys::explainLoginScreen(const std::string& action) {
  ui::ViewController* top = services::AppDelegate::sharedDelegate().getMainController().get();
  while (top && top->presentedViewController()) top = top->presentedViewController().get();
  if (!dynamic_cast<services::LoginViewController*>(top)) return;
  top->dismissViewController(false);
  console_.line(action + " needs a logged-in user: start with --login EMAIL:PASSWORD.");
}

void PanelKeys::printInformation() {
  const api::ProgramModelPtr& programme = player().program();
  if (player().playState() != playback::PlayerController::kPlayingProgramme || !programme) {
    console_.line("No programme is playing.");
    return;
  }
  const api::UserModelPtr& dj = programme->user();
  console_.line("Programme " + text(programme->programId()) + ": " + text(programme->programName()));
  console_.line("  DJ " + text(dj ? dj->uname() : std::nullopt) + " · " + text(programme->subscribeNum()) +
                " collected · " + text(programme->playNum()) + " plays · " +
                counted(player().musicListArray().size(), "song", "songs"));
  console_.line("  " + (programme->programDesc() && !programme->programDesc()->empty() ? *programme->programDesc()
                                                                                       : std::string("暂无节目详情")));
}

void PanelKeys::openLink() {
  const std::size_t before = ui::Application::shared().openedURLs().size();
  player().handleLinkClickViewEvent();
  const auto& opened = ui::Application::shared().openedURLs();
  if (opened.size() > before)
    console_.line("Opened " + opened.back());
  else
    console_.line("This programme has no web link.");
}

void PanelKeys::songDownloaded(const std::string& programmeId) {
  const int done = ++storedSongs_[programmeId];
  const api::ProgramModelPtr& programme = player().program();
  const bool playing = programme && programme->programId() == programmeId;
  const std::string stored =
      playing ? std::to_string(done) + " of " + counted(player().musicListArray().size(), "song", "songs")
              : counted(done, "song", "songs");
  console_.line("Offline: programme " + programmeId + ", " + stored + " stored.");
}

// The panel as the listener would see it, collapsed and pulled up, then back as it was.
void PanelKeys::snapshot() {
  ui::Window* window = ui::Application::shared().keyWindow();
  if (!window || player().isAdvertisement()) return;
  std::error_code ignored;
  std::filesystem::create_directories(*snapshotFolder_, ignored);
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%03d", ++snapshots_);
  const bool wasUp = player().isPullUp();
  for (bool up : {false, true}) {
    if (up)
      player().pullUpWithAnimation(false);
    else
      player().pullDownWithAnimation(false);
    const std::string path = *snapshotFolder_ + "/" + prefix + (up ? "-expanded.png" : "-shrunk.png");
    if (!ui::renderToPNG(*window, path, {.scale = 2}).ok()) {
      console_.error("Could not write " + path + ".");
      break;
    }
  }
  if (wasUp)
    player().pullUpWithAnimation(false);
  else
    player().pullDownWithAnimation(false);
  console_.line("Snapshot " + std::string(prefix) + " written to " + *snapshotFolder_ + ".");
}

}  // namespace zunoradio
