// What the panel shows for the list that plays: titles, cover, creator and the song table.
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "src/framework/images/ImageBlur.h"
#include "src/framework/images/QRVImageCacheManager.h"
#include "src/framework/ui/QRVXibView.h"
#include "src/playback/offline/DownloadManager.h"
#include "src/playback/offline/IconManager.h"
#include "src/playback/player/AudioPlayerView.h"
#include "src/services/catalogue/SingleSongCell.h"

namespace playback {

namespace {

std::int64_t number(const std::optional<std::string>& text) { return foundation::Value(text.value_or("")).toInt64(); }

std::string withStyle(const std::string& url, const char* style) { return url.empty() ? "" : url + "!" + style; }

// The first cover picture's address, when the list holds text there.
std::string firstCoverPicture(const foundation::Array& coverPics) {
  if (coverPics.empty()) return "";
  const std::string* text = coverPics.front().getString();
  return text ? *text : "";
}

// The song table's section header: a thin titled strip.
class AudioPlayerSectionHeaderView : public framework::QRVXibView {
 public:
  AudioPlayerSectionHeaderView() : QRVXibView(ui::Rect{0, 0, 320, AudioPlayerView::kSectionHeaderHeight}) {
    setBackgroundColor(ui::Color::black().withAlpha(0.5));
    titleLabel_ = std::make_shared<ui::Label>(ui::Rect{12, 0, 296, AudioPlayerView::kSectionHeaderHeight});
    titleLabel_->setFont(ui::Font::systemFont(11));
    titleLabel_->setTextColor(ui::Color::white(0.7));
    addSubview(titleLabel_);
  }
  ui::Label& titleLabel() { return *titleLabel_; }

 private:
  std::shared_ptr<ui::Label> titleLabel_;
};

}  // namespace

std::string AudioPlayerView::coverUrl() const {
  const api::SongModelPtr& song = selectedSong();
  const std::string songPicture = song ? song->picUrl().value_or("") : "";
  if (playState() != PlayerController::kPlayingProgramme || !program()) return withStyle(songPicture, kCoverStyle);
  const api::ProgramModel& programme = *program();
  // A programme that counts covers but lists none that are text is treated as one without covers.
  std::string picture = programme.coverNumber().toInt64() >= 1 ? firstCoverPicture(programme.coverPics()) : "";
  if (picture.empty()) picture = programme.picUrl().value_or("");
  if (picture.empty()) picture = songPicture;
  return withStyle(picture, kCoverStyle);
}

void AudioPlayerView::setAudioView() {
  topBarHoldsCurrentCover_ = false;
  djInfoView_->setHidden(true);
  configTopViewWithSong();
  if (playState() == PlayerController::kPlayingProgramme && program())
    setProgrammeViews();
  else
    setSongViews();
  setSliderThumbStatus();
  configPri();
  musicTable_->setContentOffset({0, -kTopBarHeight});
  musicTable_->reloadData();
}

void AudioPlayerView::setSongViews() {
  const std::string url = coverUrl();
  coverView_->driftImageView()->loadImage(url, ui::Image::named(kCoverPlaceholder));
  auto& cache = framework::QRVImageCacheManager::sharedManager();
  if (!url.empty() && cache.isImageInMemoryCacheWithUrl(url)) {
    showCoverInTopBar(cache.getImageFromCacheWithUrl(url));
  }
  downloadButton_->setTitle("离线");
}

void AudioPlayerView::setProgrammeViews() {
  const api::ProgramModel& programme = *program();
  const std::int64_t programmeId = number(programme.programId());
  djInfoView_->setHidden(false);
  api::UserModelPtr creator = programme.user();
  djInfoUsernameLabel_->setText(creator ? creator->uname().value_or("") : "");
  djInfoView_->setNeedsLayout();
  djInfoPicImageView_->layer().setCornerRadius(djInfoPicImageView_->frame().width() / 2);
  djInfoPicImageView_->setClipsToBounds(true);
  djInfoIconView_->setImage(IconManager::getUserIconWhite(creator));
  fitBlurredViews();
  DownloadManager& downloads = DownloadManager::sharedManager();
  const std::string creatorPicture = creator ? creator->picUrl().value_or("") : "";
  if (ui::ImagePtr stored = downloads.getUserPic(programmeId))
    djInfoPicImageView_->setDefaultImage(stored);
  else if (creatorPicture.empty())
    djInfoPicImageView_->setDefaultImage(ui::Image::named(kCreatorPlaceholder));
  else
    djInfoPicImageView_->loadImage(withStyle(creatorPicture, kCreatorPictureStyle),
                                   ui::Image::named(kCreatorPlaceholder));

  const std::string url = coverUrl();
  if (ui::ImagePtr stored = downloads.getProgramPic(programmeId)) {
    coverView_->driftImageView()->setDefaultImage(stored);
    takeCoverPicture(stored);
  } else {
    coverView_->driftImageView()->loadImage(url, ui::Image::named(kCoverPlaceholder));
  }
  auto& cache = framework::QRVImageCacheManager::sharedManager();
  if (!url.empty() && cache.isImageInMemoryCacheWithUrl(url)) {
    showCoverInTopBar(cache.getImageFromCacheWithUrl(url));
  }
  configDownloadAndFavButton();
}

// The bar and the lock screen only: a cover from the memory cache was blurred when it arrived.
void AudioPlayerView::showCoverInTopBar(const ui::ImagePtr& picture) {
  topViewImage_->setImage(picture);
  topBarHoldsCurrentCover_ = true;
  controller_.configLockScreenMediaInfo();
}

void AudioPlayerView::takeCoverPicture(const ui::ImagePtr& picture) {
  showCoverInTopBar(picture);
  // The blur holds the main thread for a while; a song that is loading gets to play first.
  if (loadingView_->isAnimating()) {
    coverAwaitingBlur_ = picture;
    return;
  }
  coverAwaitingBlur_.reset();
  blurCover(picture);
}

void AudioPlayerView::blurCover(const ui::ImagePtr& picture) {
  const ui::ImagePtr blurred = framework::image_blur::blur(picture);
  blurTitleView_->setImage(blurred);
  blurImageView_->setImage(blurred);
  fitBlurredViews();
}

// The load ended: the blur waits for the rest of this turn of the loop, in which the song is told
// to play and announced.
void AudioPlayerView::blurCoverOnceLoaded() {
  if (!coverAwaitingBlur_) return;
  std::weak_ptr<ui::View> weak = weak_from_this();
  foundation::RunLoop::main().post([weak] {
    auto self = std::static_pointer_cast<AudioPlayerView>(weak.lock());
    if (!self || !self->coverAwaitingBlur_ || self->loadingView_->isAnimating()) return;
    self->blurCover(std::exchange(self->coverAwaitingBlur_, nullptr));
  });
}

// The blurred cover shows centred as it is where it covers its view (with room for the top bar's
// growth under the status bar); a smaller one would leave plain bands beside it, so it fills.
void AudioPlayerView::fitBlurredViews() {
  constexpr double kBarGrowth = 20;
  for (const auto& blurred : {blurTitleView_, blurImageView_}) {
    const ui::ImagePtr& picture = blurred->image();
    const ui::Size box = blurred->bounds().size;
    const bool covers =
        picture && picture->size().width >= box.width && picture->size().height >= box.height + kBarGrowth;
    blurred->setContentMode(covers ? ui::ContentMode::Center : ui::ContentMode::ScaleAspectFill);
    blurred->setClipsToBounds(true);
  }
}

void AudioPlayerView::imageLoaded(framework::QRVImageView& view) {
  if (&view != coverView_->driftImageView().get() || !view.loadedImage()) return;
  // The cover view may still be fading out of the placeholder; the top bar takes the new picture.
  takeCoverPicture(view.loadedImage());
  if (!isPullUp_) topViewImage_->setHidden(false);
}

void AudioPlayerView::configPri() {
  const std::optional<std::string> link = program() ? program()->refLink() : std::nullopt;
  linkClickView_->setHidden(!link || link->empty());
}

// --- Song table ---

int AudioPlayerView::numberOfRows(ui::TableView&, int) { return static_cast<int>(musicListArray().size()); }

std::optional<double> AudioPlayerView::heightForRow(ui::TableView&, const ui::IndexPath&) { return kRowHeight; }

std::optional<double> AudioPlayerView::heightForHeader(ui::TableView&, int section) {
  return section == 0 ? kSectionHeaderHeight : 0;
}

std::shared_ptr<ui::View> AudioPlayerView::viewForHeader(ui::TableView&, int) {
  auto header = std::make_shared<AudioPlayerSectionHeaderView>();
  header->titleLabel().setText("共" + std::to_string(musicListArray().size()) + "首");
  return header;
}

std::shared_ptr<ui::TableViewCell> AudioPlayerView::cellForRow(ui::TableView& table, const ui::IndexPath& indexPath) {
  auto cell = std::dynamic_pointer_cast<services::SingleSongCell>(table.dequeueReusableCell(kSongCellIdentifier));
  if (!cell) cell = framework::QRVXibTableCellView::loadFromXib<services::SingleSongCell>();
  if (!cell) return std::make_shared<ui::TableViewCell>(kSongCellIdentifier);
  const api::SongModelPtr& song = musicListArray().at(static_cast<std::size_t>(indexPath.row));
  std::optional<std::string> editable;
  if (playState() == PlayerController::kPlayingProgramme && program() &&
      program()->hasEditPri(api::UserModel::getUser()))
    editable = program()->programId();
  cell->ResetSongCell(song, editable, indexPath);
  cell->setTag(static_cast<int>(number(song ? song->songId() : std::nullopt)));
  if (song && song == selectedSong()) {
    cell->musicIndex()->setHidden(true);
    cell->playingImageView()->setHidden(false);
  }
  return cell;
}

void AudioPlayerView::didSelectRow(ui::TableView&, const ui::IndexPath& indexPath) {
  controller_.selectRow(static_cast<std::size_t>(indexPath.row));
}

void AudioPlayerView::reloadSongTable() { musicTable_->reloadData(); }

services::SingleSongCell* AudioPlayerView::songRow(const std::string& songId) const {
  const int tag = static_cast<int>(number(songId));
  if (tag == 0) return nullptr;
  for (const ui::IndexPath& path : musicTable_->indexPathsForVisibleRows()) {
    auto* cell = dynamic_cast<services::SingleSongCell*>(musicTable_->cellForRow(path).get());
    if (cell && cell->tag() == tag) return cell;
  }
  return nullptr;
}

void AudioPlayerView::showSongRowLoading(const std::string& songId) {
  if (services::SingleSongCell* row = songRow(songId)) {
    row->musicIndex()->setHidden(true);
    row->playingImageView()->setHidden(true);
    row->songActivity()->startAnimating();
  }
}

void AudioPlayerView::showSongRowPlaying(const std::string& songId) {
  if (services::SingleSongCell* row = songRow(songId)) {
    row->musicIndex()->setHidden(true);
    row->songActivity()->stopAnimating();
    row->playingImageView()->setHidden(false);
  }
}

void AudioPlayerView::resetSongRow(const std::string& songId) {
  if (services::SingleSongCell* row = songRow(songId)) {
    row->songActivity()->stopAnimating();
    row->playingImageView()->setHidden(true);
    row->musicIndex()->setHidden(false);
  }
}

}  // namespace playback
