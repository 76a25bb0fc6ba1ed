#include "src/services/catalogue/SingleSongCell.h"

#include "platform/ui/Nib.h"

namespace services {

namespace {

const ui::Nib::Registration nib(SingleSongCell::kXibName, [](const std::any&) {
  return ui::Nib::TopLevelObjects{std::make_shared<SingleSongCell>()};
});

constexpr ui::Color kNameColour = ui::Color::white(0.93);
constexpr ui::Color kDetailColour = ui::Color::white(0.62);

}  // namespace

SingleSongCell::SingleSongCell() : QRVXibTableCellView(kXibName, {0, 0, 320, kRowHeight}) {
  setBackgroundColor(ui::Color::clear());
  setSelectionStyle(SelectionStyle::None);
  musicIndex_ = std::make_shared<ui::Label>(ui::Rect{8, 18, 34, 24});
  musicIndex_->setTextAlignment(ui::TextAlignment::Center);
  musicIndex_->setFont(ui::Font::systemFont(14));
  musicIndex_->setTextColor(kDetailColour);
  playingImageView_ = std::make_shared<ui::ImageView>(ui::Rect{15, 20, 20, 20});
  playingImageView_->setImage(ui::Image::named("song_playing.png"));
  songActivity_ = std::make_shared<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::White);
  songActivity_->setCenter({25, 30});
  songNameLabel_ = std::make_shared<ui::Label>(ui::Rect{50, 9, 255, 24});
  songNameLabel_->setFont(ui::Font::systemFont(16));
  songNameLabel_->setTextColor(kNameColour);
  artistLabel_ = std::make_shared<ui::Label>(ui::Rect{50, 33, 255, 18});
  artistLabel_->setFont(ui::Font::systemFont(12));
  artistLabel_->setTextColor(kDetailColour);
  auto rule = std::make_shared<ui::View>(ui::Rect{50, kRowHeight - 1, 270, 1});
  rule->setBackgroundColor(ui::Color::white(1, 0.12));
  for (const auto& view : std::initializer_list<std::shared_ptr<ui::View>>{
           musicIndex_, playingImageView_, songActivity_, songNameLabel_, artistLabel_, rule})
    contentView().addSubview(view);
  playingImageView_->setHidden(true);
}

void SingleSongCell::ResetSongCell(const api::SongModelPtr& song, const std::optional<std::string>& programId,
                                   const ui::IndexPath& indexPath) {
  song_ = song;
  programId_ = programId;
  musicIndex_->setText(std::to_string(indexPath.row + 1));
  musicIndex_->setHidden(false);
  playingImageView_->setHidden(true);
  songActivity_->stopAnimating();
  songNameLabel_->setText(song ? song->songName().value_or("") : "");
  artistLabel_->setText(song ? song->artistsName().value_or("") : "");
}

}  // namespace services
