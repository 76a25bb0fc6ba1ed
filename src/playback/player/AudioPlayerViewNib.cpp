// The panel's nib: every outlet in its place, as the panel lies collapsed before set-up.
#include "platform/ui/Screen.h"
#include "src/playback/player/AudioPlayerView.h"

namespace playback {

namespace {

constexpr ui::Color kPanelColour = ui::Color::rgb255(28, 28, 32);
constexpr ui::Color kAccent = ui::Color::rgb255(233, 84, 61);
constexpr ui::Color kDimText = ui::Color::white(0.7);
constexpr double kDetailHeight = 170;

template <class V>
std::shared_ptr<V> place(ui::View& parent, std::shared_ptr<V> view, const ui::Rect& frame) {
  view->setFrame(frame);
  parent.addSubview(view);
  return view;
}

std::shared_ptr<ui::Label> text(ui::View& parent, const ui::Rect& frame, double size, ui::Color colour,
                                ui::TextAlignment alignment = ui::TextAlignment::Left) {
  auto label = place(parent, std::make_shared<ui::Label>(), frame);
  label->setFont(ui::Font::systemFont(size));
  label->setTextColor(colour);
  label->setTextAlignment(alignment);
  return label;
}

std::shared_ptr<ui::Button> iconButton(ui::View& parent, const ui::Rect& frame, const char* picture) {
  auto button = place(parent, std::make_shared<ui::Button>(), frame);
  button->setImage(ui::Image::named(picture));
  return button;
}

// A button of the bottom row: an icon and a short title on a faint pill.
std::shared_ptr<ui::Button> actionButton(ui::View& parent, const ui::Rect& frame, const char* picture,
                                         const char* title) {
  auto button = iconButton(parent, frame, picture);
  button->setTitle(title);
  button->setTitleColor(ui::Color::white());
  button->setTitleColor(ui::Color::white(1, 0.35), ui::kStateDisabled);
  button->titleLabel().setFont(ui::Font::systemFont(13));
  button->setTitleEdgeInsets({0, 6, 0, 0});
  button->setBackgroundColor(ui::Color::white(1, 0.08));
  button->layer().setCornerRadius(frame.height() / 2);
  return button;
}

}  // namespace

void AudioPlayerView::buildViews() {
  const double height = ui::Screen::main().bounds().height();
  setFrame({0, 0, 320, height});
  setBackgroundColor(kPanelColour);
  blurImageView_ = place(*this, std::make_shared<ui::ImageView>(), {0, 0, 320, height});
  auto shade = place(*this, std::make_shared<ui::View>(), {0, 0, 320, height});
  shade->setBackgroundColor(ui::Color::black().withAlpha(0.35));
  buildTable();
  buildTopView();
  buildDetailAudioPlayer();
  systemVolumeView_ = place(*this, std::make_shared<ui::VolumeView>(), {-1000, -1000, 1, 10});
  systemVolumeView_->setHidden(true);
}

void AudioPlayerView::buildTopView() {
  topView_ = place(*this, std::make_shared<ui::View>(), {0, 0, 320, kTopBarHeight});
  topView_->setBackgroundColor(kPanelColour.withAlpha(0.85));
  blurTitleView_ = place(*topView_, std::make_shared<ui::ImageView>(), {0, 0, 320, kTopBarHeight});
  blurTitleView_->setAlpha(0.5);
  titleViewIntopView_ = place(*topView_, std::make_shared<ui::View>(), {0, 5, 320, 39});
  topViewImage_ = place(*titleViewIntopView_, std::make_shared<ui::ImageView>(), {8, 0, 34, 34});
  topViewImage_->setImage(ui::Image::named(kCoverPlaceholder));
  topViewImage_->setContentMode(ui::ContentMode::ScaleAspectFill);
  topViewImage_->setClipsToBounds(true);
  topViewImage_->layer().setCornerRadius(3);
  topViewSongNameLabel_ = text(*titleViewIntopView_, {50, 0, 220, 19}, 15, ui::Color::white());
  topViewProgramNameLabel_ = text(*titleViewIntopView_, {50, 19, 220, 15}, 11, kDimText);
  topViewLeftButton_ = iconButton(*topView_, {0, 0, 44, kTopBarHeight}, "player_down.png");
  topViewLeftButton_->setHidden(true);
  topPlayButton_ = iconButton(*topView_, {278, 4, 36, 36}, "play_new.png");
  timerButton_ = iconButton(*topView_, {272, 0, 44, kTopBarHeight}, "alarmbell.png");
  topActivityIndicator_ = place(*topView_, std::make_shared<ui::ActivityIndicatorView>(), {286, 12, 20, 20});
}

void AudioPlayerView::buildDetailAudioPlayer() {
  detailAudioPlayer_ = place(*this, std::make_shared<ui::View>(), {0, 0, 320, kDetailHeight});
  detailAudioPlayer_->setBackgroundColor(kPanelColour);
  ui::View& detail = *detailAudioPlayer_;
  currentTimeLabel_ = text(detail, {4, 8, 46, 20}, 11, kDimText, ui::TextAlignment::Right);
  loadingView_ = place(detail, std::make_shared<ui::ActivityIndicatorView>(), {30, 8, 20, 20});
  positionSlider_ = place(detail, std::make_shared<ui::Slider>(), {56, 8, 208, 20});
  positionSlider_->setMinimumTrackTintColor(kAccent);
  positionSlider_->setMaximumTrackTintColor(ui::Color::white(1, 0.25));
  totalTimeLabel_ = text(detail, {270, 8, 46, 20}, 11, kDimText);
  circularSlider_ = place(detail, std::make_shared<framework::QRVCircularSlider>(), {124, 34, 72, 72});
  circularSlider_->setMinimumTrackTintColor(kAccent);
  circularSlider_->setMaximumTrackTintColor(ui::Color::white(1, 0.2));
  circularSlider_->setUserInteractionEnabled(false);
  playButton_ = iconButton(detail, {133, 43, 54, 54}, "kaishi.png");
  nextSongButton_ = iconButton(detail, {218, 52, 36, 36}, "player_next.png");
  jmBtn_ = place(detail, std::make_shared<ui::Button>(), {72, 55, 30, 30});
  jmBtn_->setTitle("i");
  jmBtn_->titleLabel().setFont(ui::Font::boldSystemFont(15));
  jmBtn_->setTitleColor(ui::Color::white());
  iconButton(detail, {12, 110, 18, 20}, "volume_low.png")->setUserInteractionEnabled(false);
  volumeSlider_ = place(detail, std::make_shared<ui::Slider>(), {36, 110, 221, 20});
  airPlayView_ = place(detail, std::make_shared<ui::VolumeView>(), {277, 109, 15, 22});
  CMbutton_ = iconButton(detail, {268, 104, 34, 32}, "route_notice.png");
  downloadButton_ = actionButton(detail, {10, 136, 96, 28}, "programNotDownload.png", "离线");
  downloadingIcon_ = place(detail, std::make_shared<ui::ImageView>(), {18, 139, 22, 22});
  downloadingIcon_->setImage(ui::Image::named("programWaitingForDownload.png"));
  downloadingIcon_->setHidden(true);
  collectButton_ = actionButton(detail, {112, 136, 96, 28}, "player_collect.png", "收藏");
  shareButton_ = actionButton(detail, {214, 136, 96, 28}, "player_share.png", "分享");
  bottomActivityIndicator_ = place(detail, std::make_shared<ui::ActivityIndicatorView>(), {150, 60, 20, 20});
  loadingView_->setHidesWhenStopped(true);
  positionSlider_->setEnabled(false);
  currentTimeLabel_->setText(formatTimeLabelBySecond(0));
  totalTimeLabel_->setText(formatTimeLabelBySecond(0));
}

void AudioPlayerView::buildTable() {
  const double height = ui::Screen::main().bounds().height();
  musicTable_ = place(*this, std::make_shared<ui::TableView>(), {0, 0, 320, height});
  musicTable_->setBackgroundColor(ui::Color::clear());
  musicTable_->setDataSource(this);
  musicTable_->setTableDelegate(this);
  buildDjInfoView();
}

void AudioPlayerView::buildDjInfoView() {
  djInfoView_ = std::make_shared<DjInfoView>(ui::Rect{0, 0, 320, 52});
  djInfoView_->setBackgroundColor(ui::Color::black().withAlpha(0.45));
  djInfoPicImageView_ = place(*djInfoView_, std::make_shared<framework::QRVImageView>(), {12, 9, 34, 34});
  djInfoPicImageView_->setContentMode(ui::ContentMode::ScaleAspectFill);
  djInfoIconView_ = place(*djInfoView_, std::make_shared<ui::ImageView>(), {54, 18, 16, 16});
  djInfoUsernameLabel_ = text(*djInfoView_, {74, 16, 120, 20}, 14, ui::Color::white());
  djInfoViewArrow_ = place(*djInfoView_, std::make_shared<ui::ImageView>(), {0, 19, 8, 14});
  djInfoViewArrow_->setImage(ui::Image::named("player_arrow.png"));
  djInfoView_->setNameAndArrow(djInfoUsernameLabel_, djInfoViewArrow_);
  djInfoViewButton_ = place(*djInfoView_, std::make_shared<ui::Button>(), {0, 0, 220, 52});
  linkClickView_ = actionButton(*djInfoView_, {228, 12, 82, 28}, "player_link.png", "链接");
  djInfoView_->setHidden(true);
}

}  // namespace playback
