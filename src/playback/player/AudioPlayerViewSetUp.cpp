// Setting the panel up: its place, the table with the drifting cover, the sliders, the route
// button, and the wiring of its controls.
#include "platform/foundation/NotificationCenter.h"
#include "platform/media/AudioSession.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Screen.h"
#include "src/playback/player/AudioPlayerView.h"
#include "src/services/account/HomePageViewController.h"

namespace playback {

namespace {

double detailBottom() { return ui::Screen::main().bounds().height() >= 568 ? 548 : 460; }

void placeBottom(ui::View& view, double bottom) {
  ui::Rect frame = view.frame();
  frame.origin.y = bottom - frame.height();
  view.setFrame(frame);
}

}  // namespace

void AudioPlayerView::initAudioPlayer() {
  if (started_) return;
  started_ = true;
  jmBtn_->layer().setCornerRadius(15);
  jmBtn_->setClipsToBounds(true);
  jmBtn_->setBackgroundColor(ui::Color::white(72.0 / 255, 0.5));
  placeBottom(*detailAudioPlayer_, detailBottom());
  loadSlider();
  const double screenHeight = ui::Screen::main().bounds().height();
  const double lift = ui::Screen::main().systemVersionNumber() >= 7 ? 20 : 0;
  setFrame({0, screenHeight - 20 - kTopBarHeight + lift, frame().width(), frame().height()});
  musicTable_->setAlpha(0);
  setTag(kPanelTag);
  configTable();
  addGestureRecognizer(std::make_shared<ui::PanGestureRecognizer>([this](ui::GestureRecognizer& pan) {
    const double y = pan.locationInView(superview()).y;
    if (pan.state() == ui::GestureState::Changed) handlePanMoved(y);
    if (pan.state() == ui::GestureState::Ended) handlePanEnded(y);
  }));
  topView_->addGestureRecognizer(std::make_shared<ui::TapGestureRecognizer>(
      [this](ui::GestureRecognizer& tap) { handlePlayerViewClickEvent(tap.locationInView(topView_.get()).x); }));
  connectActions();
  observePanelNotifications();
  // The advert plan, the call centre and the start-up choice.
  controller_.startPlayer();
}

void AudioPlayerView::configTable() {
  musicTable_->setFrame({0, 0, 320, ui::Screen::main().bounds().height()});
  musicTable_->setScrollEnabled(true);
  topViewLeftButton_->setHidden(true);
  musicTable_->setAlpha(0.1);
  timerButton_->setHidden(true);
  const double headerHeight = detailBottom() - detailAudioPlayer_->frame().height() - kTopBarHeight;
  headerView_ = std::make_shared<ui::View>(ui::Rect{0, 0, 320, headerHeight});
  headerView_->setClipsToBounds(true);
  // Songs scroll up from under the controls; the top bar covers the first 44 points.
  musicTable_->setContentInset(
      {kTopBarHeight, 0, frame().height() - detailBottom() + detailAudioPlayer_->frame().height(), 0});
  coverView_ = GEDriftView::create(headerView_->frame());
  coverView_->driftImageView()->setDelegate(this);
  coverView_->driftImageView()->setImage(ui::Image::named(kCoverPlaceholder));
  headerView_->addSubview(coverView_);
  djInfoView_->setFrame({0, headerHeight - djInfoView_->frame().height(), 320, djInfoView_->frame().height()});
  headerView_->addSubview(djInfoView_);
  djInfoViewButton_->addAction(ui::kTouchUpInside, [this](ui::Control&) { handleShowUserInfoButtonEvent(); });
  detailAudioPlayer_->bringSubviewToFront(*downloadButton_);
  detailAudioPlayer_->bringSubviewToFront(*downloadingIcon_);
  auto press = std::make_shared<ui::LongPressGestureRecognizer>([this](ui::GestureRecognizer& recognizer) {
    if (recognizer.state() == ui::GestureState::Began) handleHeaderViewLongPressGesture();
  });
  headerView_->addGestureRecognizer(press);
  musicTable_->setTableHeaderView(headerView_);
  configAirPlayView();
  configPri();
  topActivityIndicator_->stopAnimating();
}

void AudioPlayerView::loadSlider() {
  media::AudioSession& session = media::AudioSession::sharedInstance();
  session.setCategory("playback");
  session.setActive(true);
  positionSlider_->setContinuous(false);
  volumeSlider_->setContinuous(true);
  volumeSlider_->setMinimumTrackTintColor(ui::Color::white());
  volumeSlider_->setMaximumTrackTintColor(ui::Color::gray());
  volumeSlider_->setMinimumValue(0);
  volumeSlider_->setMaximumValue(1);
  volumeSlider_->setValue(session.outputVolume());
  volumeSlider_->addAction(ui::kValueChanged, [this](ui::Control&) { volumeSliderValueChanged(); });
  setSliderThumbStatus();
  placeBottom(*detailAudioPlayer_, detailBottom());
  circularSlider_->setMinimumValue(positionSlider_->minimumValue());
  circularSlider_->setMaximumValue(positionSlider_->maximumValue());
  positionSlider_->addAction(ui::kTouchDown, [this](ui::Control&) { handleMusicSliderTouchDown(); });
  positionSlider_->addAction(ui::kTouchDragInside, [this](ui::Control&) { handleMusicSliderValueChangedEvent(); });
  positionSlider_->addAction(ui::kValueChanged, [this](ui::Control&) { handleMusicSliderTouchUpInsideEvent(); });
}

void AudioPlayerView::setSliderThumbStatus() {
  volumeSlider_->setThumbImage(ui::Image::named("volume_thumb.png"));
  positionSlider_->setThumbImage(ui::Image::named("volume_thumb.png"));
}

void AudioPlayerView::handleMusicSliderTouchDown() { controller_.beginSeeking(); }

void AudioPlayerView::handleMusicSliderValueChangedEvent() {
  const auto seconds = static_cast<std::int64_t>(positionSlider_->value());
  circularSlider_->setValue(static_cast<float>(seconds));
  currentTimeLabel_->setText(formatTimeLabelBySecond(seconds));
}

void AudioPlayerView::handleMusicSliderTouchUpInsideEvent() { controller_.seekTo(positionSlider_->value()); }

void AudioPlayerView::volumeSliderValueChanged() {
  if (controller_.currentSource().empty()) return;
  media::AudioSession::sharedInstance().setOutputVolume(volumeSlider_->value());
}

void AudioPlayerView::volumeChanged(float volume) { volumeSlider_->setValue(volume); }

void AudioPlayerView::cleanSlider() {
  currentTimeLabel_->setText(formatTimeLabelBySecond(0));
  positionSlider_->setValue(0);
  positionSlider_->setEnabled(false);
}

void AudioPlayerView::configAirPlayView() {
  airPlayView_->setShowsVolumeSlider(false);
  airPlayView_->setShowsRouteButton(true);
  airPlayButton_ = &airPlayView_->routeButton();
  airPlayButton_->setFrame(airPlayView_->bounds());
  airPlayView_->setOnRouteButtonAlphaChange([this](double alpha) {
    if (alpha < 1.0) return;
    CMbutton_->setHidden(true);
    layoutAirPlay();
  });
  CMbutton_->setHidden(media::AudioSession::sharedInstance().wirelessRoutesAvailable());
}

void AudioPlayerView::layoutAirPlay() { airPlayButton_->setFrame(airPlayView_->bounds()); }

void AudioPlayerView::wirelessRoutsChange(bool available) {
  const bool tall = ui::Screen::main().bounds().height() >= 667;
  const double width = available ? (tall ? 211 : 191) : (tall ? 251 : 221);
  ui::Rect frame = volumeSlider_->frame();
  frame.size.width = width;
  volumeSlider_->setFrame(frame);
  CMbutton_->setHidden(available);
}

void AudioPlayerView::observePanelNotifications() {
  auto& centre = foundation::NotificationCenter::defaultCenter();
  const void* owner = static_cast<const void*>(this);
  centre.addObserver(owner, media::kSystemVolumeDidChangeNotification, [this](const foundation::Notification& note) {
    volumeChanged(static_cast<float>(note.userInfo[media::kSystemVolumeParameter].toDouble(volumeSlider_->value())));
  });
  centre.addObserver(
      owner, media::kWirelessRoutesAvailableDidChangeNotification,
      [this](const foundation::Notification& note) { wirelessRoutsChange(note.userInfo["available"].toBool()); });
  centre.addObserver(owner, services::HomePageViewController::kHomeDismissNotification,
                     [this](const foundation::Notification&) { homePageShowing_ = false; });
}

void AudioPlayerView::connectActions() {
  auto on = [](const std::shared_ptr<ui::Button>& button, std::function<void()> action) {
    button->addAction(ui::kTouchUpInside, [action = std::move(action)](ui::Control&) { action(); });
  };
  on(playButton_, [this] { handleStartAndPauseButtonEvent(); });
  on(topPlayButton_, [this] { handleStartAndPauseButtonEvent(); });
  on(nextSongButton_, [this] { handleNextSongButtonClickEvent(); });
  on(topViewLeftButton_, [this] { handleTopViewLeftDownButtonEvent(); });
  on(downloadButton_, [this] { handleAudioPlayerDownloadButtonClickEvent(); });
  on(collectButton_, [this] { handleAudioPlayerFavButtonClickEvent(); });
  on(shareButton_, [this] { handleAudioPlayerShareButtonClickEvent(); });
  on(timerButton_, [this] { handleAudioPlayerTimingButtonClickEvent(); });
  on(jmBtn_, [this] { handleJiemuButtonClickEvent(); });
  on(linkClickView_, [this] { handleLinkClickViewEvent(); });
  on(CMbutton_, [this] { handleCMbuttonClickEvent(); });
}

}  // namespace playback
