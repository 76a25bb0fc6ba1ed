#include "src/framework/images/QRVImageView.h"

#include "src/framework/images/QRVImageCacheManager.h"

namespace framework {

QRVImageView::QRVImageView(const ui::Rect& frame) : ui::ImageView(frame) {}

QRVImageView::~QRVImageView() {
  if (imageDataOperation_) imageDataOperation_->cancel();
}

void QRVImageView::loadImage(const std::string& url) { loadImage(url, nullptr); }

void QRVImageView::loadImage(const std::string& url, ui::ImagePtr placeHolder) {
  if (url.empty()) return;
  imageUrl_ = url;
  ++loadGeneration_;
  cancelImageRequest();
  auto& manager = QRVImageCacheManager::sharedManager();
  if (ui::ImagePtr cached = manager.getImageFromMemoryCache(QRVImageCacheManager::getKeyFromUrl(url))) {
    hideLoading();
    if (image()) {
      crossFadeTo(std::move(cached));
    } else {
      setImage(std::move(cached));
    }
    return;
  }
  if (!image()) setImage(std::move(placeHolder));
  startFetch(url);
}

void QRVImageView::startFetch(const std::string& url) {
  auto self = std::static_pointer_cast<QRVImageView>(shared_from_this());
  imageDataOperation_ = QRVImageDataOperation::create(url, std::weak_ptr<QRVImageDataOperationDelegate>(self));
  QRVImageCacheManager::sharedManager().imageQueue().addOperation(imageDataOperation_);
}

void QRVImageView::setDefaultImage(ui::ImagePtr image) { setImage(std::move(image)); }

void QRVImageView::cancelImageRequest() {
  if (imageDataOperation_) imageDataOperation_->cancel();
  hideLoading();
}

void QRVImageView::setEnableTapEvent(bool enable) {
  enableTapEvent_ = enable;
  if (enable) {
    setUserInteractionEnabled(true);
    if (tapGestureRecognizer_) return;
    std::weak_ptr<ui::View> weakSelf = weak_from_this();
    tapGestureRecognizer_ = std::make_shared<ui::TapGestureRecognizer>([weakSelf](ui::GestureRecognizer& recognizer) {
      if (auto self = weakSelf.lock()) static_cast<QRVImageView&>(*self).handleTapGesture(recognizer);
    });
    tapGestureRecognizer_->setCancelsTouchesInView(false);
    addGestureRecognizer(tapGestureRecognizer_);
  } else if (tapGestureRecognizer_) {
    removeGestureRecognizer(*tapGestureRecognizer_);
    tapGestureRecognizer_.reset();
  }
}

void QRVImageView::handleTapGesture(ui::GestureRecognizer& recognizer) {
  if (recognizer.state() != ui::GestureState::Ended) return;
  if (delegate_) delegate_->imageClicked(*this);
}

void QRVImageView::setIndicator(std::shared_ptr<ui::ActivityIndicatorView> indicator) {
  indicator_ = std::move(indicator);
  applyIndicatorStyle();
}

void QRVImageView::setIndicatorViewStyle(int style) {
  indicatorViewStyle_ = style;
  applyIndicatorStyle();
}

void QRVImageView::applyIndicatorStyle() {
  if (!indicator_) return;
  switch (indicatorViewStyle_) {
    case 0:
      indicator_->setStyle(ui::ActivityIndicatorStyle::WhiteLarge);
      break;
    case 1:
      indicator_->setStyle(ui::ActivityIndicatorStyle::White);
      break;
    case 2:
      indicator_->setStyle(ui::ActivityIndicatorStyle::Gray);
      break;
    default:
      break;  // not a style the platform knows: the spinner keeps its own
  }
}

void QRVImageView::hideLoading() {
  if (!indicator_) return;
  indicator_->stopAnimating();
  indicator_->setHidden(true);
}

void QRVImageView::imageDataOperation(QRVImageDataOperation& operation, const std::string& loadedWithUrl,
                                      const ui::ImagePtr& withImage) {
  if (&operation != imageDataOperation_.get() || loadedWithUrl != imageUrl_) return;
  imageLoaded(withImage);
}

void QRVImageView::imageLoaded(const ui::ImagePtr& loaded) {
  hideLoading();
  loadedImage_ = loaded;
  if (!image() || image() == loaded) {
    setImage(loaded);
  } else {
    crossFadeTo(loaded);
  }
  if (delegate_) delegate_->imageLoaded(*this);
}

void QRVImageView::crossFadeTo(ui::ImagePtr picture) {
  const std::uint64_t load = loadGeneration_;
  const std::uint64_t fade = ++fadeGeneration_;
  std::weak_ptr<ui::View> weakSelf = weak_from_this();
  View::animate(
      foundation::Duration(kFadeSeconds), [this] { setAlpha(0); },
      [this, weakSelf, load, fade, picture = std::move(picture)](bool) {
        if (weakSelf.expired() || fade != fadeGeneration_) return;  // a later fade owns the alpha now
        if (load == loadGeneration_) setImage(picture);
        View::animate(foundation::Duration(kFadeSeconds), [this] { setAlpha(1.0); });
      });
}

}  // namespace framework
