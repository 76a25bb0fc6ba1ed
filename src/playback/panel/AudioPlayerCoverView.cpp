#include "src/playback/panel/AudioPlayerCoverView.h"

#include <cmath>

#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"

namespace playback {

AudioPlayerCoverView::AudioPlayerCoverView() : motionManager_(media::MotionManager::create()) {
  setBackgroundColor(ui::Color::clear());
  coverImageView_ = std::make_shared<framework::QRVImageView>();
  coverImageView_->setContentMode(ui::ContentMode::ScaleAspectFill);
  addSubview(coverImageView_);
}

std::shared_ptr<AudioPlayerCoverView> AudioPlayerCoverView::initWithImage(const std::string& url) {
  auto view = std::make_shared<AudioPlayerCoverView>();
  view->coverImageView_->loadImage(url, ui::Image::named("placeHolderBig.png"));
  return view;
}

AudioPlayerCoverView::~AudioPlayerCoverView() { stopMoving(); }

void AudioPlayerCoverView::draw(ui::GraphicsContext& context, const ui::Rect& rect) {
  View::draw(context, rect);
  drawRect(rect);
}

void AudioPlayerCoverView::drawRect(const ui::Rect&) {
  // Without a picture of its own the view keeps what it loaded from its address.
  if (image_) coverImageView_->setImage(image_);
  coverImageView_->setFrame(bounds());
  cageCenter_ = cageRect_.center();
  maxDis_ = static_cast<float>(std::hypot(cageRect_.width(), cageRect_.height()) / 2);
  startMoving();
}

void AudioPlayerCoverView::startMoving() {
  if (!motionManager_->isGyroActive()) startMoving(std::make_shared<foundation::OperationQueue>());
}

void AudioPlayerCoverView::startMoving(std::shared_ptr<foundation::OperationQueue> queue) {
  std::weak_ptr<View> weak = weak_from_this();
  motionManager_->startGyroUpdates(std::move(queue), [weak](const media::GyroData& data) {
    foundation::RunLoop::main().post([weak, rate = data.rotationRate] {
      if (auto view = std::static_pointer_cast<AudioPlayerCoverView>(weak.lock())) view->move(rate);
    });
  });
}

void AudioPlayerCoverView::stopMoving() {
  if (motionManager_->isGyroActive()) motionManager_->stopGyroUpdates();
}

void AudioPlayerCoverView::move(const media::RotationRate& rate) {
  const ui::Point centre = coverImageView_->center();
  const double reach = maxDis_ - std::hypot(centre.x - cageCenter_.x, centre.y - cageCenter_.y);
  const ui::Point moved{centre.x + rate.y * reach * kMoveFactor, centre.y + rate.x * reach * kMoveFactor};
  if (std::isfinite(moved.x) && std::isfinite(moved.y) && cageRect_.contains(moved)) coverImageView_->setCenter(moved);
}

}  // namespace playback
