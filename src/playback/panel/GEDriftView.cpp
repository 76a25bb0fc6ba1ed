#include "src/playback/panel/GEDriftView.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "src/services/shell/AppDelegate.h"

namespace playback {

GEDriftView::GEDriftView(const ui::Rect& frame) : ui::View(frame) {
  setBackgroundColor(ui::Color::clear());
  const int width = static_cast<int>(frame.width());
  const int height = static_cast<int>(frame.height());
  side_ = static_cast<int>(std::max(frame.width(), frame.height())) + kDiffPix;
  x_ = (width - side_) / 2;
  y_ = (height - side_) / 2;
  driftImageView_ =
      std::make_shared<framework::QRVImageView>(ui::Rect{double(x_), double(y_), double(side_), double(side_)});
  driftImageView_->setContentMode(ui::ContentMode::ScaleToFill);
  addSubview(driftImageView_);
  motionManager_ = services::AppDelegate::sharedDelegate().sharedMotionManager();
}

std::shared_ptr<GEDriftView> GEDriftView::create(const ui::Rect& frame) {
  auto view = std::make_shared<GEDriftView>(frame);
  view->startDrifting();
  return view;
}

GEDriftView::~GEDriftView() { stopDrifting(); }

void GEDriftView::setDriftImageView(std::shared_ptr<framework::QRVImageView> view) {
  if (driftImageView_) driftImageView_->removeFromSuperview();
  driftImageView_ = std::move(view);
  if (driftImageView_) addSubview(driftImageView_);
}

void GEDriftView::startDrifting() {
  if (!motionManager_ || motionManager_->isGyroActive()) return;
  drifting_ = true;
  std::weak_ptr<View> weak = weak_from_this();
  motionManager_->startGyroUpdates(std::make_shared<foundation::OperationQueue>(), [weak](const media::GyroData& data) {
    foundation::RunLoop::main().post([weak, rate = data.rotationRate] {
      if (auto view = std::static_pointer_cast<GEDriftView>(weak.lock())) view->drift(rate);
    });
  });
}

void GEDriftView::stopDrifting() {
  if (!drifting_) return;
  drifting_ = false;
  if (motionManager_ && motionManager_->isGyroActive()) motionManager_->stopGyroUpdates();
}

ui::Rect GEDriftView::cage() const { return {2.0 * x_, 2.0 * y_, std::abs(2.0 * x_), std::abs(2.0 * y_)}; }

void GEDriftView::drift(const media::RotationRate& rate) {
  if (!driftImageView_) return;
  const ui::Rect cageRect = cage();
  const ui::Point current = driftImageView_->frame().origin;
  double x = current.x + rate.y;
  if (!std::isfinite(x) || !cageRect.contains({x, current.y})) x = current.x;
  double y = current.y + rate.x;
  if (!std::isfinite(y) || !cageRect.contains({x, y})) y = current.y;
  driftImageView_->setFrame({x, y, double(side_), double(side_)});
}

}  // namespace playback
