#include "platform/ui/VolumeView.h"

#include "platform/media/AudioSession.h"
#include "platform/ui/Button.h"
#include "platform/ui/Slider.h"

namespace ui {
namespace {
constexpr double kRouteButtonWidth = 22;
}

VolumeView::VolumeView(const Rect& frame)
    : View(frame), slider_(std::make_shared<Slider>()), routeButton_(std::make_shared<Button>()) {
  auto& session = media::AudioSession::sharedInstance();
  slider_->setValue(session.outputVolume());
  routeButton_->setAlpha(session.wirelessRoutesAvailable() ? 1 : 0);
  addSubview(routeButton_);
  addSubview(slider_);
  auto& center = foundation::NotificationCenter::defaultCenter();
  center.addObserver(this, media::kWirelessRoutesAvailableDidChangeNotification,
                     [this](const foundation::Notification& note) {
                       // Each announcement carries its own state: several may be on their way.
                       setRouteButtonAlpha(note.userInfo["available"].toBool() ? 1 : 0);
                     });
  center.addObserver(this, media::kSystemVolumeDidChangeNotification, [this](const foundation::Notification& note) {
    slider_->setValue(static_cast<float>(note.userInfo[media::kSystemVolumeParameter].toDouble(slider_->value())));
  });
  setNeedsLayout();
}

VolumeView::~VolumeView() { foundation::NotificationCenter::defaultCenter().removeObserver(this); }

void VolumeView::setShowsVolumeSlider(bool shows) {
  showsVolumeSlider_ = shows;
  slider_->setHidden(!shows);
  setNeedsLayout();
}

void VolumeView::setShowsRouteButton(bool shows) {
  showsRouteButton_ = shows;
  routeButton_->setHidden(!shows);
  setNeedsLayout();
}

void VolumeView::layoutSubviews() {
  Rect area = bounds();
  double buttonWidth = showsRouteButton_ ? std::min(kRouteButtonWidth, area.size.width) : 0;
  routeButton_->setFrame({area.maxX() - buttonWidth, area.minY(), buttonWidth, area.size.height});
  slider_->setFrame({area.minX(), area.minY(), area.size.width - buttonWidth, area.size.height});
}

void VolumeView::setRouteButtonAlpha(double alpha) {
  if (routeButton_->alpha() == alpha) return;
  routeButton_->setAlpha(alpha);
  if (onRouteAlpha_) onRouteAlpha_(alpha);
}

}  // namespace ui
