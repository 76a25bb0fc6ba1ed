#include "src/playback/offline/IconManager.h"

#include "platform/foundation/Clock.h"
#include "platform/foundation/Value.h"
#include "src/playback/offline/DownloadManager.h"

namespace playback {

namespace {

std::int64_t number(const std::optional<std::string>& text) { return foundation::Value(text.value_or("")).toInt64(); }

ui::ImagePtr userIcon(const api::UserModelPtr& user, const char* djIcon) {
  const std::int64_t type = user ? number(user->userType()) : 0;
  if (type > 4) return nullptr;
  if (type == 4) return ui::Image::named("user_common.png");
  if (type == 3) return ui::Image::named("user_business.png");
  return ui::Image::named(djIcon);
}

// The download manager's state of a programme kept offline; nullopt when it is not collected and
// kept offline. One the server lists as kept but that has no row yet is waiting for its detail.
std::optional<int> offlineState(const api::ProgramModelPtr& program) {
  if (!program || number(program->sync()) == 0 || number(program->fav()) == 0) return std::nullopt;
  int state = DownloadManager::sharedManager().checkProgramStateById(number(program->programId()));
  if (state == DownloadManager::kNotOffline && program->sync() == "1") state = DownloadManager::kWaiting;
  return state;
}

std::shared_ptr<ui::ImageView> animation(const std::string& pattern) {
  std::vector<ui::ImagePtr> frames;
  for (int index = 0; index < 3; ++index) frames.push_back(ui::Image::named(pattern + std::to_string(index)));
  auto view = std::make_shared<ui::ImageView>(frames.front());
  view->setAnimationImages(std::move(frames));
  view->setAnimationDuration(foundation::Duration(0.7));
  return view;
}

}  // namespace

ui::ImagePtr IconManager::getUserIcon(const api::UserModelPtr& user) { return userIcon(user, "user_dj.png"); }

ui::ImagePtr IconManager::getUserIconWhite(const api::UserModelPtr& user) {
  return userIcon(user, "user_dj_white.png");
}

std::optional<std::string> IconManager::getSyncButtonTitle(const api::ProgramModelPtr& program) {
  const std::optional<int> state = offlineState(program);
  if (!state) return std::nullopt;
  switch (*state) {
    case DownloadManager::kComplete:
      return "已离线";
    case DownloadManager::kDownloading:
      return "正在离线";
    case DownloadManager::kWaiting:
      return "等待离线";
    default:
      return "离线";
  }
}

ui::ImagePtr IconManager::getSyncIcon(const api::ProgramModelPtr& program) {
  const std::optional<int> state = offlineState(program);
  if (!state || *state == DownloadManager::kNotOffline) return nullptr;
  return ui::Image::named(*state == DownloadManager::kComplete ? "programIsDownload.png"
                                                               : "programWaitingForDownload.png");
}

std::shared_ptr<ui::ImageView> IconManager::syncAnimationImage() { return animation("programDownloading"); }

std::shared_ptr<ui::ImageView> IconManager::syncAnimationImageBlackBG() { return animation("programDownloading_BBG"); }

}  // namespace playback
