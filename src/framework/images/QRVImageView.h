#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/ImageView.h"
#include "src/framework/images/QRVImageDataOperation.h"

namespace framework {

class QRVImageView;

// Hears a remote image view's loads and taps; both optional. Main thread.
class QRVImageViewDelegate {
 public:
  virtual ~QRVImageViewDelegate() = default;
  virtual void imageLoaded(QRVImageView& /*view*/) {}
  virtual void imageClicked(QRVImageView& /*view*/) {}
};

// A picture view for a URL: shows the memory copy at once, else a placeholder while the image
// cache manager fetches it, then cross-fades to it (0.5 s out, 0.5 s in). Only the last URL asked
// for is ever shown. Made with std::make_shared. Main thread only.
class QRVImageView : public ui::ImageView, public QRVImageDataOperationDelegate {
 public:
  static constexpr double kFadeSeconds = 0.5;
  // The platform's gray spinner.
  static constexpr int kDefaultIndicatorViewStyle = 2;

  // Main thread.
  explicit QRVImageView(const ui::Rect& frame = {});
  ~QRVImageView() override;

  // Main thread. Not retained.
  QRVImageViewDelegate* delegate() const { return delegate_; }
  void setDelegate(QRVImageViewDelegate* delegate) { delegate_ = delegate; }

  // Main thread. The URL last asked for ("" before any).
  const std::string& imageUrl() const { return imageUrl_; }
  // Main thread. An empty URL changes nothing.
  void loadImage(const std::string& url);
  void loadImage(const std::string& url, ui::ImagePtr placeHolder);
  // Main thread. Shows the picture.
  void setDefaultImage(ui::ImagePtr image);
  // Main thread. Cancels the fetch under way and hides the indicator.
  void cancelImageRequest();

  // Main thread. Taps reach the delegate's imageClicked while on.
  bool enableTapEvent() const { return enableTapEvent_; }
  void setEnableTapEvent(bool enable);
  void handleTapGesture(ui::GestureRecognizer& recognizer);

  // Main thread. A spinner that a caller placed; the view only stops and hides it.
  const std::shared_ptr<ui::ActivityIndicatorView>& indicator() const { return indicator_; }
  void setIndicator(std::shared_ptr<ui::ActivityIndicatorView> indicator);
  // Main thread. The platform's spinner style numbers: 0 large white, 1 white, 2 gray.
  int indicatorViewStyle() const { return indicatorViewStyle_; }
  void setIndicatorViewStyle(int style);
  void hideLoading();

  // Main thread. Values for callers' use; the view never reads them.
  const std::string& imageTag() const { return imageTag_; }
  void setImageTag(std::string tag) { imageTag_ = std::move(tag); }
  const std::string& picUrl() const { return picUrl_; }
  void setPicUrl(std::string url) { picUrl_ = std::move(url); }

  // Main thread. A fetch's picture; dropped unless it is the fetch of the URL shown now.
  void imageDataOperation(QRVImageDataOperation& operation, const std::string& loadedWithUrl,
                          const ui::ImagePtr& withImage) override;
  // Main thread. Shows a loaded picture and tells the delegate.
  void imageLoaded(const ui::ImagePtr& image);
  // Main thread. The picture last loaded: while the view cross-fades, image() still shows the
  // old one, so a delegate told of the load reads the new one here.
  const ui::ImagePtr& loadedImage() const { return loadedImage_; }

 private:
  void startFetch(const std::string& url);
  // Fades out, shows the picture (unless another URL was asked for meanwhile) and fades in.
  void crossFadeTo(ui::ImagePtr image);
  void applyIndicatorStyle();

  QRVImageViewDelegate* delegate_ = nullptr;
  std::shared_ptr<ui::ActivityIndicatorView> indicator_;
  int indicatorViewStyle_ = kDefaultIndicatorViewStyle;
  std::string imageUrl_;
  std::shared_ptr<QRVImageDataOperation> imageDataOperation_;
  bool enableTapEvent_ = false;
  std::string imageTag_;
  std::shared_ptr<ui::TapGestureRecognizer> tapGestureRecognizer_;
  std::string picUrl_;
  ui::ImagePtr loadedImage_;
  // Counted up by every load and every fade, so that late animation ends know they are stale.
  std::uint64_t loadGeneration_ = 0;
  std::uint64_t fadeGeneration_ = 0;
};

}  // namespace framework
