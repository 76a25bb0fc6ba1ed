#include "src/playback/offlinescreens/OfflineViewCell.h"

#include <algorithm>
#include <string>

#include "platform/foundation/Clock.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Value.h"
#include "platform/ui/Application.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Nib.h"
#include "platform/ui/Window.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/playback/player/AudioPlayerView.h"
#include "src/services/catalogue/ProgramActionSheet.h"

namespace playback {

namespace {

const ui::Nib::Registration nib(OfflineViewCell::kXibName, [](const std::any&) {
  return ui::Nib::TopLevelObjects{std::make_shared<OfflineViewCell>()};
});

constexpr ui::Color kTitleColour = ui::Color::white(0.15);
constexpr ui::Color kDetailColour = ui::Color::white(0.55);

std::shared_ptr<ui::Label> label(const ui::Rect& frame, double size, ui::Color colour) {
  auto made = std::make_shared<ui::Label>(frame);
  made->setFont(ui::Font::systemFont(size));
  made->setTextColor(colour);
  return made;
}

// The stored list of an empty text holds one empty entry, which is no song.
int downloadedSongs(const DownloadDataModel& download) {
  const auto& songs = download.sucSongs();
  return static_cast<int>(std::count_if(songs.begin(), songs.end(), [](const auto& id) { return !id.empty(); }));
}

std::int64_t number(const std::optional<std::string>& text) { return foundation::Value(text.value_or("")).toInt64(); }

}  // namespace

OfflineViewCell::OfflineViewCell()
    : QRVXibTableCellView(kXibName, {0, 0, 320, kRowHeight}),
      titleLabel_(label({92, 10, 190, 20}, 15, kTitleColour)),
      detailLabel_(label({92, 32, 190, 16}, 12, kDetailColour)),
      statusImageView_(std::make_shared<ui::ImageView>(ui::Rect{62, 58, 22, 22})),
      programImageView_(std::make_shared<services::SudokuImageView>(ui::Rect{10, 10, 70, 70})),
      downloadProgress_(std::make_shared<ui::ProgressView>(ui::Rect{92, 52, 190, 4})),
      genreLabel_(label({92, 64, 90, 16}, 11, kDetailColour)),
      djIconLabel_(std::make_shared<framework::QRVImageView>(ui::Rect{186, 64, 16, 16})),
      djName_(label({206, 64, 80, 16}, 11, kDetailColour)),
      actionView_(std::make_shared<ui::View>(ui::Rect{282, 0, 38, kRowHeight})),
      playProgramView_(std::make_shared<ui::View>(ui::Rect{0, 0, 282, kRowHeight})) {
  // A cover still loading shows as a tile rather than a hole.
  programImageView_->setBackgroundColor(ui::Color::white(0.92));
  auto more = label({0, 30, 38, 30}, 20, kDetailColour);
  more->setText("⋯");
  more->setTextAlignment(ui::TextAlignment::Center);
  actionView_->addSubview(more);
  auto rule = std::make_shared<ui::View>(ui::Rect{10, kRowHeight - 1, 310, 1});
  rule->setBackgroundColor(ui::Color::white(0.9));
  for (const auto& view : std::initializer_list<std::shared_ptr<ui::View>>{
           programImageView_, statusImageView_, titleLabel_, detailLabel_, downloadProgress_, genreLabel_, djIconLabel_,
           djName_, rule, playProgramView_, actionView_})
    contentView().addSubview(view);
  auto tap = [](auto action) {
    return std::make_shared<ui::TapGestureRecognizer>([action](ui::GestureRecognizer&) { action(); });
  };
  playProgramView_->addGestureRecognizer(tap([this] { playProgram(); }));
  actionView_->addGestureRecognizer(tap([this] { showActionSheet(); }));
}

std::shared_ptr<OfflineViewCell> OfflineViewCell::initWithProgramDownloadData(const DownloadDataModel& download) {
  auto cell = loadFromXib<OfflineViewCell>();
  if (cell) cell->fill(download, download.program());
  return cell;
}

void OfflineViewCell::fill(const DownloadDataModel& download, const api::ProgramModelPtr& program) {
  program_ = program;
  downloadProgress_->setProgress(0);
  DownloadManager& downloads = DownloadManager::sharedManager();
  const bool working = download.programId() == downloads.currentDownloadingProgramId() && !downloads.isDownloadPause();
  statusImageView_->setImage(ui::Image::named(working ? "downloading.png" : "downloadwaiting.png"));
  setSelectionStyle(SelectionStyle::None);
  setTag(static_cast<int>(download.programId()));
  if (program) {
    titleLabel_->setText(program->programName().value_or(""));
    showCover(*program);
    genreLabel_->setText(program->getGenreChannelName());
    showCreator(*program);
  }
  showProgress(download);
  downloadProgress_->setTrackImage(ui::Image::named("downlodingProgress@2x.png"));
  downloadProgress_->setProgressImage(ui::Image::named("downlodingProgress1@2x.png"));
}

void OfflineViewCell::showCover(const api::ProgramModel& program) {
  const std::string stored = DownloadManager::sharedManager().getProgramPicPath(number(program.programId()));
  if (!stored.empty() && foundation::FileManager::fileExists(stored))
    return programImageView_->loadImageWithPath(stored);
  std::vector<std::string> urls;
  for (const auto& url : program.coverPics()) urls.push_back(url.toString());
  programImageView_->loadDataWithCoverNumber(static_cast<int>(program.coverNumber().toInt64()), urls);
}

void OfflineViewCell::showProgress(const DownloadDataModel& download) {
  const int songs = downloadedSongs(download);
  // A programme that lists no songs has nothing to download yet: no progress, not a division by 0.
  const float progress =
      download.songNum() > 0 ? std::min(1.0f, static_cast<float>(songs) / static_cast<float>(download.songNum())) : 0;
  downloadProgress_->setProgress(progress);
  if (download.status() == 1) {
    statusImageView_->setImage(ui::Image::named("downloadok.png"));
    detailLabel_->setText("已离线 " + std::to_string(songs) + " 首歌");
    downloadProgress_->setHidden(true);
  } else {
    detailLabel_->setText("已离线 " + std::to_string(songs) + " 首歌 " +
                          std::to_string(static_cast<int>(progress * 100)) + "%");
    downloadProgress_->setHidden(false);
  }
}

void OfflineViewCell::showCreator(const api::ProgramModel& program) {
  const api::UserModelPtr creator = program.user();
  const std::string picture = creator ? creator->picUrl().value_or("") : "";
  // An empty address would ask the server for "!small0".
  if (!picture.empty()) djIconLabel_->loadImage(picture + "!" + AudioPlayerView::kCreatorPictureStyle, nullptr);
  djName_->setText(creator ? creator->uname().value_or("") : "");
}

void OfflineViewCell::playProgram() {
  const api::ProgramModelPtr programme = program();
  if (!programme) return;
  const auto player = AudioPlayerView::sharedAudioPlayer();
  player->musicTable()->setAlpha(1);
  player->pullUpWithAnimation(true);
  player->playProgram(programme->programId().value_or(""), std::string());
}

void OfflineViewCell::showActionSheet() {
  ui::Window* window = ui::Application::shared().keyWindow();
  if (!window) return;
  std::make_shared<services::ProgramActionSheet>(program(), nullptr, std::weak_ptr<ui::View>())->showInView(*window);
}

void OfflineViewCell::waitStyle() {
  statusImageView_->stopAnimating();
  statusImageView_->setImage(ui::Image::named("waitingForDownload.png"));
}

void OfflineViewCell::workStyle() {
  std::vector<ui::ImagePtr> frames;
  for (int index = 0; index < 3; ++index) frames.push_back(ui::Image::named("downloading" + std::to_string(index)));
  statusImageView_->setAnimationImages(std::move(frames));
  statusImageView_->setAnimationDuration(foundation::Duration(0.7));
  statusImageView_->startAnimating();
}

}  // namespace playback
