#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ui/Animation.h"
#include "platform/ui/Control.h"
#include "platform/ui/Label.h"
#include "src/framework/ui/QRVXibView.h"

namespace framework {

class QRVAlertView;

// Told about the alert's buttons and background; every method is optional. Main thread.
class QRVAlertViewDelegate {
 public:
  virtual ~QRVAlertViewDelegate() = default;
  virtual void confirmBtnClicked(QRVAlertView& /*alert*/) {}
  virtual void cancelBtnClicked(QRVAlertView& /*alert*/) {}
  // The dimmed background was touched: owners dismiss the keyboard.
  virtual void keybordPullDown(QRVAlertView& /*alert*/) {}
};

// A modal alert from its nib: a message, a cancel and a confirm button, over a background that
// dims the whole application window. It pops in with a spring-like scale and shrinks away. With
// the keyboard up it goes into the keyboard's window so that it stands above the keys. Buttons
// run the blocks when set, else tell the delegate, which is held weakly. Subclasses with nibs of
// their own (prompts with text fields) declare their kXibName. Main thread only.
class QRVAlertView : public QRVXibView {
 public:
  static constexpr const char* kXibName = "QRVAlertView";
  static constexpr const char* kAppearKey = "QRVALERTVIEWWILLAPPEAR";
  static constexpr const char* kDisappearKey = "QRVALERTVIEWWILLDISAPPEAR";
  using Block = std::function<void()>;

  // Main thread. A plain alert, not from its nib: no background and no message; it hides itself
  // on confirm.
  static std::shared_ptr<QRVAlertView> create(const ui::Rect& frame = {});
  // Public for std::make_shared and nibs; use create() or the nib.
  explicit QRVAlertView(const ui::Rect& frame = {});

  // Main thread. Makes the dimming background once the nib has been loaded.
  void awakeFromNib() override;

  // Main thread. Show operations: the alert goes into viewForView(view), its top-left at the
  // origin or centred 30 points above the middle. A null view shows nothing.
  void showInView(ui::View* view, ui::Point origin, const std::shared_ptr<QRVAlertViewDelegate>& delegate);
  void showInView(ui::View* view, ui::Point origin, Block onCancel, Block onConfirm);
  void showInView(ui::View* view, Block onCancel, Block onConfirm);
  void showInView(ui::View* view, std::string_view message, const std::shared_ptr<QRVAlertViewDelegate>& delegate);
  void showInView(ui::View* view, const std::shared_ptr<QRVAlertViewDelegate>& delegate);
  // Main thread. Shrinks and fades the alert, then takes it and its background away.
  void hide();

  // Main thread. The button and background actions.
  void onCancelBtnClicked();
  void onConfirmBtnClicked();
  void clickBGView();

  // Main thread. The view holding the on-screen keyboard's keys, or nullptr.
  static ui::View* keyboardView();
  // Main thread. Where an alert for `view` goes: the keyboard's window while it shows, else `view`.
  static ui::View* viewForView(ui::View* view);
  // Main thread. The pop-in (appearing) or shrink-away scale animation.
  static ui::KeyframeAnimation scaleAnimation(bool appearing);

  // Main thread. Alerts of class T from T's nib, with the message set, shown at once; nullptr
  // (and nothing shown) when the nib is missing. The title is not shown: the alert has no title.
  template <class T = QRVAlertView>
  static std::shared_ptr<T> alertWithMessage(const std::string& message, ui::View* view, ui::Point origin,
                                             const std::shared_ptr<QRVAlertViewDelegate>& delegate) {
    auto alert = withMessage<T>(message);
    if (alert) alert->showInView(view, origin, delegate);
    return alert;
  }
  template <class T = QRVAlertView>
  static std::shared_ptr<T> alertWithTitle(const std::optional<std::string>& /*title*/, const std::string& message,
                                           ui::View* view, const std::shared_ptr<QRVAlertViewDelegate>& delegate) {
    auto alert = withMessage<T>(message);
    if (alert) alert->showInView(view, delegate);
    return alert;
  }
  template <class T = QRVAlertView>
  static std::shared_ptr<T> alertWithMessage(const std::string& message, ui::View* view,
                                             const std::shared_ptr<QRVAlertViewDelegate>& delegate) {
    return alertWithTitle<T>(std::nullopt, message, view, delegate);
  }
  template <class T = QRVAlertView>
  static std::shared_ptr<T> alertWithTitle(const std::optional<std::string>& /*title*/, const std::string& message,
                                           ui::View* view, Block onCancel, Block onConfirm) {
    auto alert = withMessage<T>(message);
    if (alert) alert->showInView(view, std::move(onCancel), std::move(onConfirm));
    return alert;
  }
  template <class T = QRVAlertView>
  static std::shared_ptr<T> alertWithMessage(const std::string& message, ui::View* view, Block onCancel,
                                             Block onConfirm) {
    return alertWithTitle<T>(std::nullopt, message, view, std::move(onCancel), std::move(onConfirm));
  }

  // Main thread. Fields.
  bool isAutoHidden() const { return autoHidden_; }
  void setAutoHidden(bool autoHidden) { autoHidden_ = autoHidden; }
  std::shared_ptr<QRVAlertViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<QRVAlertViewDelegate>& delegate) { delegate_ = delegate; }
  const Block& onCancelBlock() const { return onCancelBlock_; }
  void setOnCancelBlock(Block block) { onCancelBlock_ = std::move(block); }
  const Block& onConfirmBlock() const { return onConfirmBlock_; }
  void setOnConfirmBlock(Block block) { onConfirmBlock_ = std::move(block); }
  const std::shared_ptr<ui::Control>& bgControl() const { return bgControl_; }
  void setBgControl(std::shared_ptr<ui::Control> control) { bgControl_ = std::move(control); }
  const std::shared_ptr<ui::Label>& msgLabel() const { return msgLabel_; }
  void setMsgLabel(std::shared_ptr<ui::Label> label) { msgLabel_ = std::move(label); }

 private:
  template <class T>
  static std::shared_ptr<T> withMessage(const std::string& message) {
    auto alert = loadFromXib<T>();
    if (alert && alert->msgLabel()) alert->msgLabel()->setText(message);
    return alert;
  }
  // Puts the background and the alert into the host; returns the host, or nullptr.
  ui::View* present(ui::View* view);
  void popIn();
  void showAt(ui::View* view, ui::Point origin);
  void showCentred(ui::View* view);

  bool autoHidden_ = false;
  std::weak_ptr<QRVAlertViewDelegate> delegate_;
  Block onCancelBlock_;
  Block onConfirmBlock_;
  std::shared_ptr<ui::Control> bgControl_;
  std::shared_ptr<ui::Label> msgLabel_;
};

}  // namespace framework
