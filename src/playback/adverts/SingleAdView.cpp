#include "src/playback/adverts/SingleAdView.h"

#include "platform/foundation/FileManager.h"
#include "platform/ui/Application.h"
#include "platform/ui/Nib.h"
#include "platform/ui/Screen.h"
#include "src/playback/adverts/AdvertisementManager.h"
#include "src/services/UsageAnalytics.h"

namespace playback {
namespace {

constexpr double kTallScreenHeight = 568;
constexpr ui::Rect kMoveViewFrame{20, 84, 280, 400};

ui::Nib::TopLevelObjects buildSingleAdNib(const std::any& /*owner*/) {
  auto view = std::make_shared<SingleAdView>(ui::Screen::main().bounds());
  view->makeParts();
  return {view};
}

const ui::Nib::Registration kSingleAdNib(SingleAdView::kXibName, buildSingleAdNib);

bool isWebLink(const std::string& link) { return link.starts_with("http://") || link.starts_with("https://"); }

}  // namespace

SingleAdView::SingleAdView(const ui::Rect& frame) : QRVXibView(frame) {}

void SingleAdView::makeParts() {
  setAutoresizingMask(ui::kFlexibleWidth | ui::kFlexibleHeight);
  moveView_ = std::make_shared<ui::View>(kMoveViewFrame);
  adImage_ = std::make_shared<framework::QRVImageView>(ui::Rect{0, 0, 280, 340});
  adImage_->setContentMode(ui::ContentMode::ScaleAspectFit);
  closeButton_ = std::make_shared<ui::Button>(ui::Rect{90, 356, 100, 34});
  closeButton_->setTitle("关闭");
  closeButton_->setTitleColor(ui::Color::white());
  closeButton_->layer().setBorderColor(ui::Color::white());
  closeButton_->layer().setBorderWidth(1);
  closeButton_->layer().setCornerRadius(5);
  std::weak_ptr<ui::View> weakSelf = weak_from_this();
  closeButton_->addAction(ui::kTouchUpInside, [weakSelf](ui::Control&) {
    if (auto self = std::static_pointer_cast<SingleAdView>(weakSelf.lock())) self->closeWindow();
  });
  moveView_->addSubview(adImage_);
  moveView_->addSubview(closeButton_);
  addSubview(moveView_);
}

void SingleAdView::ResetXibWithAd(const foundation::Dictionary& ad) {
  adInfo_ = ad;
  const std::string img = ad["img"].toString();
  auto cached = ui::Image::contentsOfFile(AdvertisementManager::cachedPicturePath(img));
  if (cached.ok()) {
    adImage_->setDefaultImage(cached.value());
  } else {
    adImage_->loadImage(img);
  }
  adImage_->setUserInteractionEnabled(true);
  attachTapOnce();
  setBackgroundColor(ui::Color::rgb255(89, 83, 83, 0.95));
  const bool shortScreen = ui::Screen::main().bounds().height() != kTallScreenHeight;
  moveView_->setFrame(kMoveViewFrame.offsetBy(0, shortScreen ? -kShortScreenLift : 0));
  services::UsageAnalytics::event("i-play", adInfo_);
}

void SingleAdView::attachTapOnce() {
  if (tap_) return;
  std::weak_ptr<ui::View> weakSelf = weak_from_this();
  tap_ = std::make_shared<ui::TapGestureRecognizer>([weakSelf](ui::GestureRecognizer& recognizer) {
    if (recognizer.state() != ui::GestureState::Ended) return;
    if (auto self = std::static_pointer_cast<SingleAdView>(weakSelf.lock())) self->handlerTapEvent(recognizer);
  });
  adImage_->addGestureRecognizer(tap_);
}

void SingleAdView::handlerTapEvent(ui::GestureRecognizer& /*recognizer*/) {
  // Only a web page leaves for the browser: a server-sent link must not start other handlers.
  const std::string link = adInfo_["link"].toString();
  if (isWebLink(link)) ui::Application::shared().openURL(link + kLinkSuffix);
  services::UsageAnalytics::event("i-play-click", adInfo_);
}

void SingleAdView::closeWindow() { removeFromSuperview(); }

}  // namespace playback
