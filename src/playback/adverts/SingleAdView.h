#pragma once

#include <memory>

#include "platform/foundation/Value.h"
#include "platform/ui/Button.h"
#include "platform/ui/GestureRecognizer.h"
#include "src/framework/images/QRVImageView.h"
#include "src/framework/ui/QRVXibView.h"

namespace playback {

// An advert's picture over the whole window, with a close control; a tap on the picture opens
// the advert's web page. Loaded from its nib. Main thread only.
class SingleAdView : public framework::QRVXibView {
 public:
  static constexpr const char* kXibName = "SingleAdView";
  // The tag the view carries while shown, so that the next advert replaces it.
  static constexpr int kViewTag = 10000;
  // What is appended to the link, so that the advertiser can tell where the visit came from.
  static constexpr const char* kLinkSuffix = "?p=i-play";
  // How far the layout moves up on screens shorter than 568 points.
  static constexpr double kShortScreenLift = 25;

  // Main thread. Use the nib (loadFromXib); the nib builds the parts with makeParts.
  explicit SingleAdView(const ui::Rect& frame);
  void makeParts();

  // Main thread. Shows the advert: its cached picture, else its picture URL. Records "i-play".
  void ResetXibWithAd(const foundation::Dictionary& ad);
  // Main thread. Opens the advert's web link (http or https only) and records "i-play-click".
  void handlerTapEvent(ui::GestureRecognizer& recognizer);
  // Main thread. Takes the view off the window.
  void closeWindow();

  const std::shared_ptr<framework::QRVImageView>& adImage() const { return adImage_; }
  const std::shared_ptr<ui::View>& moveView() const { return moveView_; }
  const std::shared_ptr<ui::Button>& closeButton() const { return closeButton_; }
  const foundation::Dictionary& adInfo() const { return adInfo_; }

 private:
  void attachTapOnce();

  std::shared_ptr<framework::QRVImageView> adImage_;
  std::shared_ptr<ui::View> moveView_;
  std::shared_ptr<ui::Button> closeButton_;
  std::shared_ptr<ui::TapGestureRecognizer> tap_;
  foundation::Dictionary adInfo_;
};

}  // namespace playback
