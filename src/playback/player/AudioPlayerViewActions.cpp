// The panel's buttons that act on what plays, each refusing with a fixed toast when it does not apply.
#include <utility>

#include "platform/foundation/Value.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "src/framework/ui/Toast.h"
#include "src/playback/managers/ProgramApiManager.h"
#include "src/playback/managers/TrackHelper.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/playback/offline/IconManager.h"
#include "src/playback/panel/ChannelDetailInfoViewController.h"
#include "src/playback/panel/WebAddress.h"
#include "src/playback/player/AudioPlayerView.h"
#include "src/playback/timer/SleepTimingViewController.h"
#include "src/services/UsageAnalytics.h"
#include "src/services/account/HomePageViewController.h"
#include "src/services/account/LoginViewController.h"
#include "src/services/catalogue/ProgramActionSheet.h"
#include "src/services/catalogue/SAlbumActionSheet.h"
#include "src/services/sharing/ShareActionSheet.h"
#include "src/services/shell/AppDelegate.h"

namespace playback {

namespace {

std::int64_t number(const std::optional<std::string>& text) { return foundation::Value(text.value_or("")).toInt64(); }

bool offlineMode() { return services::AppDelegate::sharedDelegate().isOffline(); }

std::shared_ptr<services::MainViewController> mainPane() {
  return services::AppDelegate::sharedDelegate().getMainController();
}

}  // namespace

bool AudioPlayerView::playsProgramme() const {
  return playState() == PlayerController::kPlayingProgramme && program() != nullptr;
}

void AudioPlayerView::showErrorToastForTitle(const std::string& text) {
  framework::toast::showErrorToastForTitle(*this, text);
}

void AudioPlayerView::askToCancel(const char* question, int tag) {
  alertProgrammeId_ = program()->programId().value_or("");
  auto alert = std::make_shared<ui::AlertView>(question, std::nullopt, this, kDeleteAnswer,
                                               std::vector<std::string>{kKeepAnswer});
  alert->setTag(tag);
  alert->show();
}

void AudioPlayerView::handleAudioPlayerDownloadButtonClickEvent() {
  if (!playsProgramme()) return showErrorToastForTitle(kAlbumNoOfflineToast);
  if (number(program()->status()) == 0) return showErrorToastForTitle(kUnpublishedNoOfflineToast);
  if (offlineMode()) return showErrorToastForTitle(kOfflineModeNoOfflineToast);
  if (!api::UserModel::getUser()) return services::LoginViewController::popupLoginView(*mainPane());
  if (program()->sync() == "1") return askToCancel(kCancelOfflineQuestion, kCancelOfflineAlertTag);
  ProgramApiManager::syncProgram(program()->programId().value_or(""), true);
}

void AudioPlayerView::handleAudioPlayerFavButtonClickEvent() {
  if (!playsProgramme()) return showErrorToastForTitle(kAlbumNoCollectToast);
  if (number(program()->status()) == 0) return showErrorToastForTitle(kUnpublishedNoCollectToast);
  if (offlineMode()) return showErrorToastForTitle(kOfflineModeNoCollectToast);
  const std::string programmeId = program()->programId().value_or("");
  if (number(program()->fav()) == 1) {
    if (program()->sync() == "1") return askToCancel(kCancelCollectionQuestion, kCancelCollectionAlertTag);
    return ProgramApiManager::subscribeProgram(programmeId, false);
  }
  if (!api::UserModel::getUser()) return services::LoginViewController::popupRegistView(*mainPane());
  ProgramApiManager::subscribeProgram(programmeId, true);
  TrackHelper::sendClickEventWithAction("subscribe");
}

void AudioPlayerView::didDismiss(ui::AlertView& alert, int buttonIndex) {
  // The answer is about the programme asked about, even when another one plays by now.
  const std::string programmeId = std::exchange(alertProgrammeId_, "");
  if (buttonIndex != 0 || programmeId.empty()) return;
  if (alert.tag() == kCancelOfflineAlertTag) ProgramApiManager::syncProgram(programmeId, false);
  if (alert.tag() == kCancelCollectionAlertTag) ProgramApiManager::subscribeProgram(programmeId, false);
}

void AudioPlayerView::handleAudioPlayerShareButtonClickEvent() {
  if (playsProgramme() && number(program()->status()) == 0) return showErrorToastForTitle(kUnpublishedNoShareToast);
  if (playState() == PlayerController::kPlayingSAlbum) return showErrorToastForTitle(kAlbumNoShareToast);
  if (offlineMode()) return showErrorToastForTitle(kOfflineModeNoShareToast);
  const api::ProgramModelPtr programme = playsProgramme() ? program() : nullptr;
  if (!programme && !selectedSong()) return;
  if (ui::Screen::main().systemVersionNumber() < 7) {
    std::make_shared<services::ShareActionSheet>(programme, selectedSong())->showInView(*this);
    return;
  }
  auto sheet = std::make_shared<services::ShareButtonActionViewController>(programme, selectedSong());
  sheet->setDelegate(this);
  sheet->showInView(*mainPane()->view());
}

void AudioPlayerView::handleAudioPlayerTimingButtonClickEvent() {
  mainPane()->presentViewController(SleepTimingViewController::share(), true);
}

void AudioPlayerView::handleShowUserInfoButtonEvent() {
  api::UserModelPtr creator = playsProgramme() ? program()->user() : nullptr;
  if (!creator) return;
  if (number(creator->priUserPage()) == 0) {
    framework::toast::makeToast(*this, std::string(kNoHomePageToast), 2.0, "center");
    return;
  }
  auto home = std::make_shared<services::HomePageViewController>();
  home->setUser(creator);
  home->setFromType(services::HomePageViewController::kFromPlayer);
  if (mainPane()->presentViewController(std::make_shared<ui::NavigationController>(home), true))
    homePageShowing_ = true;
}

void AudioPlayerView::handleJiemuButtonClickEvent() {
  if (!playsProgramme()) return;
  std::shared_ptr<ui::ViewController> presenter = mainPane();
  if (homePageShowing_ && presenter->presentedViewController()) presenter = presenter->presentedViewController();
  presenter->presentViewController(std::make_shared<ChannelDetailInfoViewController>(program()), true);
}

void AudioPlayerView::handleLinkClickViewEvent() {
  if (!playsProgramme()) return;
  const std::string link = program()->refLink().value_or("");
  if (!isWebAddress(link)) return;
  ui::Application::shared().openURL(link + "?p=i-program");
  services::UsageAnalytics::event("i-program", foundation::Dictionary{
                                                   {"program_id", program()->programId().value_or("")},
                                                   {"program_name", program()->programName().value_or("")},
                                                   {"ref_link", link},
                                               });
}

void AudioPlayerView::handleCMbuttonClickEvent() {
  if (!shrinkViewController_) shrinkViewController_ = std::make_shared<ShrinkViewController>(4.0);
  shrinkViewController_->showInView(*mainPane()->view());
}

void AudioPlayerView::handleHeaderViewLongPressGesture() {
  if (offlineMode()) return;
  if (playState() == PlayerController::kPlayingSAlbum && salbum()) {
    std::make_shared<services::SAlbumActionSheet>(salbum())->showInView(*this);
  } else if (playsProgramme()) {
    std::make_shared<services::ProgramActionSheet>(program(), selectedSong(), coverView_)->showInView(*this);
  }
}

void AudioPlayerView::configDownloadAndFavButton() {
  downloadButton_->setHidden(false);
  const api::ProgramModelPtr programme = playsProgramme() ? program() : nullptr;
  const std::optional<std::string> title = IconManager::getSyncButtonTitle(programme);
  const bool downloading = programme && number(programme->sync()) != 0 &&
                           DownloadManager::sharedManager().checkProgramStateById(number(programme->programId())) ==
                               DownloadManager::kDownloading;
  downloadingIcon_->setHidden(!downloading);
  downloadButton_->setTitle(title.value_or("离线"));
  if (!title) downloadButton_->titleLabel().setFont(ui::Font::systemFont(13));
  collectButton_->setTitle(programme && number(programme->fav()) == 1 ? "已收藏" : "收藏");
  collectButton_->setImage(
      ui::Image::named(programme && number(programme->fav()) == 1 ? "player_collect_taped.png" : "player_collect.png"));
}

}  // namespace playback
