#include "app/program/OfflineKeys.h"

#include <filesystem>

#include "platform/ui/Renderer.h"
#include "platform/ui/Screen.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/playback/offlinescreens/OfflineSettingViewController.h"
#include "src/playback/offlinescreens/OfflineViewCell.h"

namespace zunoradio {

namespace {

std::string stateName(int state) {
  switch (state) {
    case playback::DownloadManager::kComplete:
      return "kept";
    case playback::DownloadManager::kDownloading:
      return "downloading";
    case playback::DownloadManager::kWaiting:
      return "waiting";
    default:
      return "not kept";
  }
}

// The screen in a window-sized frame, as the listener would see it; its subviews keep the frames
// the screen gave them.
void layOut(ui::ViewController& controller) {
  controller.view()->setFrame(ui::Screen::main().bounds());
  controller.view()->layoutIfNeeded();
}

}  // namespace

OfflineKeys::OfflineKeys(Console& console, std::optional<std::string> snapshotFolder)
    : console_(console), snapshotFolder_(std::move(snapshotFolder)) {}

bool OfflineKeys::handleKey(const std::string& key) {
  if (key == "w")
    list();
  else if (key == "d")
    pauseOrResume();
  else if (key == "a")
    playAll();
  else
    return false;
  return true;
}

playback::OfflineViewController& OfflineKeys::screen() {
  if (!screen_) {
    screen_ = std::make_shared<playback::OfflineViewController>();
    layOut(*screen_);
  }
  return *screen_;
}

void OfflineKeys::list() {
  playback::OfflineViewController& offline = screen();
  offline.requestData();
  if (offline.sourceArray().empty()) console_.line("No programme is kept offline.");
  auto& downloads = playback::DownloadManager::sharedManager();
  for (const auto& entry : offline.sourceArray()) {
    auto row = playback::OfflineViewCell::initWithProgramDownloadData(*entry);
    const auto& programme = entry->program();
    const std::string name = programme ? programme->programName().value_or("") : "";
    console_.line("  " + std::to_string(entry->programId()) + " " + name + ": " +
                  stateName(downloads.checkProgramStateById(entry->programId())) + ", " +
                  (row ? row->detailLabel().text() : ""));
  }
  console_.line(downloads.isDownloadPause() ? "Downloading is paused (d resumes)." : "Downloading is on (d pauses).");
  if (snapshotFolder_) snapshot();
}

void OfflineKeys::pauseOrResume() {
  screen().pauseButtonSelected();
  const bool paused = playback::DownloadManager::sharedManager().isDownloadPause();
  console_.line(paused ? "Offline downloading paused." : "Offline downloading resumed.");
}

void OfflineKeys::playAll() {
  playback::OfflineViewController& offline = screen();
  offline.requestData();
  if (offline.sourceArray().empty()) {
    console_.line("No programme is kept offline.");
    return;
  }
  offline.playAllFavButton();
  const std::size_t programmes = offline.sourceArray().size();
  console_.line(programmes == 1 ? std::string("Playing the one offline programme.")
                                : "Playing all " + std::to_string(programmes) + " offline programmes.");
}

void OfflineKeys::snapshot() {
  std::error_code ignored;
  std::filesystem::create_directories(*snapshotFolder_, ignored);
  auto settings = std::make_shared<playback::OfflineSettingViewController>();
  layOut(*settings);
  settings->viewWillAppear(false);
  for (const auto& [controller, name] : {std::pair<ui::ViewController*, const char*>{screen_.get(), "offline-list"},
                                         {settings.get(), "offline-settings"}}) {
    const std::string path = *snapshotFolder_ + "/" + name + ".png";
    if (ui::renderToPNG(*controller->view(), path, {.scale = 2}).ok())
      console_.line("Offline screen written to " + path + ".");
    else
      console_.error("Could not write " + path + ".");
  }
}

}  // namespace zunoradio
