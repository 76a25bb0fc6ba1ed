#pragma once

#include <cstdint>
#include <memory>

#include "platform/ui/Button.h"
#include "platform/ui/ViewController.h"

namespace playback {

// A bottom sheet that slides up over a dimmed screen while the screen behind shrinks a little,
// and slides away again. The player uses one for the notice that no wireless speaker was found,
// with a partner's speaker product as a link and a cancel button. Made with std::make_shared;
// shown again and again, its view built once. Main thread only.
class ShrinkViewController : public ui::ViewController {
 public:
  static constexpr double kAnimationSeconds = 0.3;
  static constexpr double kShrunkScale = 0.9;
  static constexpr const char* kNoDeviceText = "未发现Airplay设备";
  static constexpr const char* kCancelTitle = "取消";
  static constexpr const char* kPartnerTitle = "让你的音箱变身无线音箱，点此了解";
  static constexpr const char* kPartnerAddress = "https://speakers.example.com/m/";
  static constexpr const char* kPartnerClickEvent = "click_us_ad";

  ShrinkViewController();
  // The sheet panel is the view's height divided by `fraction`.
  explicit ShrinkViewController(double fraction);

  void viewDidLoad() override;

  // Main thread. Slides the sheet up over `view`, which shrinks; nothing happens when `view` has no
  // superview to hold the sheet.
  void showInView(ui::View& view);
  // Main thread. Slides the sheet away and takes it off the screen.
  void hide();
  void buttonTapped();
  void actionForItem() { hide(); }
  // The partner button: its page goes to the browser, the sheet goes away and the tap is counted.
  void goToSafariBtnPressed();

  bool isVisible() const { return visible_; }
  bool shrinksParentView() const { return shrinksParentView_; }
  void setShrinksParentView(bool shrinks) { shrinksParentView_ = shrinks; }
  ui::Color backgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(ui::Color color) { backgroundColor_ = color; }
  double aNumberByScreen() const { return aNumberByScreen_; }
  void setANumberByScreen(double number) { aNumberByScreen_ = number; }
  std::int64_t cancelButtonIndex() const { return cancelButtonIndex_; }
  const std::shared_ptr<ui::View>& modalView() const { return modalView_; }
  const std::shared_ptr<ui::View>& buttonView() const { return buttonView_; }
  const std::shared_ptr<ui::Button>& goToSafariBtn() const { return goToSafariBtn_; }
  const std::shared_ptr<ui::Button>& cancelButton() const { return cancelButton_; }
  ui::View* shrunkView() const { return shrunkView_.lock().get(); }

 private:
  void buildButtonView(double height);

  std::shared_ptr<ui::Button> goToSafariBtn_;
  std::shared_ptr<ui::Button> cancelButton_;
  bool visible_ = false;
  bool shrinksParentView_ = false;
  ui::Color backgroundColor_ = ui::Color::lightGray();
  double aNumberByScreen_ = 1;
  std::int64_t cancelButtonIndex_ = -1;
  std::shared_ptr<ui::View> modalView_;
  std::shared_ptr<ui::View> buttonView_;
  std::weak_ptr<ui::View> shrunkView_;
  // Counted up by every show and hide, so that the end of an overtaken animation changes nothing.
  std::uint64_t transition_ = 0;
};

}  // namespace playback
