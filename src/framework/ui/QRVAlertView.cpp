#include "src/framework/ui/QRVAlertView.h"

#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Nib.h"
#include "platform/ui/Screen.h"
#include "src/framework/ui/ApplicationWindow.h"

namespace framework {
namespace {

constexpr foundation::Duration kFade{0.3};
constexpr double kCentreLift = 30.0;

std::shared_ptr<ui::Button> alertButton(const ui::Rect& frame, const std::string& title, ui::Color colour) {
  auto button = std::make_shared<ui::Button>(frame);
  button->setTitle(title);
  button->setTitleColor(ui::Color::white());
  button->setBackgroundColor(colour);
  button->layer().setCornerRadius(4);
  return button;
}

// The alert's interface file: a rounded white panel with the message over two buttons.
ui::Nib::TopLevelObjects buildAlertNib(const std::any&) {
  auto alert = std::make_shared<QRVAlertView>(ui::Rect{0, 0, 288, 160});
  alert->setBackgroundColor(ui::Color::white());
  alert->layer().setCornerRadius(8);
  alert->setAlpha(0);

  auto message = std::make_shared<ui::Label>(ui::Rect{16, 16, 256, 80});
  message->setNumberOfLines(0);
  message->setFont(ui::Font::systemFont(16));
  message->setTextAlignment(ui::TextAlignment::Center);
  message->setBackgroundColor(ui::Color::clear());
  alert->addSubview(message);
  alert->setMsgLabel(message);

  std::weak_ptr<QRVAlertView> weak = alert;
  auto cancel = alertButton({16, 108, 120, 36}, "取消", ui::Color::rgb255(160, 160, 160));
  cancel->addAction(ui::kTouchUpInside, [weak](ui::Control&) {
    if (auto target = weak.lock()) target->onCancelBtnClicked();
  });
  auto confirm = alertButton({152, 108, 120, 36}, "确定", ui::Color::rgb255(233, 84, 61));
  confirm->addAction(ui::kTouchUpInside, [weak](ui::Control&) {
    if (auto target = weak.lock()) target->onConfirmBtnClicked();
  });
  alert->addSubview(cancel);
  alert->addSubview(confirm);
  return {alert};
}

const ui::Nib::Registration kAlertNib(QRVAlertView::kXibName, buildAlertNib);

}  // namespace

std::shared_ptr<QRVAlertView> QRVAlertView::create(const ui::Rect& frame) {
  auto alert = std::make_shared<QRVAlertView>(frame);
  alert->setAutoHidden(true);
  return alert;
}

QRVAlertView::QRVAlertView(const ui::Rect& frame) : QRVXibView(frame) {}

void QRVAlertView::awakeFromNib() {
  std::shared_ptr<ui::Window> window = ApplicationWindow::window();
  auto background = std::make_shared<ui::Control>(window ? window->bounds() : ui::Screen::main().bounds());
  background->setBackgroundColor(ui::Color::black());
  background->setAlpha(0.5);
  std::weak_ptr<View> weak = weak_from_this();
  background->addAction(ui::kTouchUpInside, [weak](ui::Control&) {
    if (auto alert = std::static_pointer_cast<QRVAlertView>(weak.lock())) alert->clickBGView();
  });
  bgControl_ = background;
}

void QRVAlertView::showInView(ui::View* view, ui::Point origin, const std::shared_ptr<QRVAlertViewDelegate>& delegate) {
  setDelegate(delegate);
  showAt(view, origin);
}

void QRVAlertView::showInView(ui::View* view, ui::Point origin, Block onCancel, Block onConfirm) {
  onCancelBlock_ = std::move(onCancel);
  onConfirmBlock_ = std::move(onConfirm);
  showAt(view, origin);
}

void QRVAlertView::showInView(ui::View* view, Block onCancel, Block onConfirm) {
  onCancelBlock_ = std::move(onCancel);
  onConfirmBlock_ = std::move(onConfirm);
  showCentred(view);
}

void QRVAlertView::showInView(ui::View* view, std::string_view message,
                              const std::shared_ptr<QRVAlertViewDelegate>& delegate) {
  setDelegate(delegate);
  if (msgLabel_) msgLabel_->setText(std::string(message));
  showCentred(view);
}

void QRVAlertView::showInView(ui::View* view, const std::shared_ptr<QRVAlertViewDelegate>& delegate) {
  setDelegate(delegate);
  showCentred(view);
}

ui::View* QRVAlertView::present(ui::View* view) {
  ui::View* host = viewForView(view);
  if (!host) return nullptr;
  if (bgControl_) host->addSubview(bgControl_);
  host->addSubview(shared_from_this());
  return host;
}

void QRVAlertView::showAt(ui::View* view, ui::Point origin) {
  if (!present(view)) return;
  setFrame({origin, bounds().size});
  popIn();
}

void QRVAlertView::showCentred(ui::View* view) {
  ui::View* host = present(view);
  if (!host) return;
  ui::Size size = bounds().size;
  ui::Size room = host->bounds().size;
  setFrame({{(room.width - size.width) / 2, (room.height - size.height) / 2 - kCentreLift}, size});
  popIn();
}

void QRVAlertView::popIn() {
  View::animate(kFade, [this] {
    setAlpha(1.0);
    layer().addAnimation(scaleAnimation(true), kAppearKey);
  });
}

void QRVAlertView::hide() {
  std::weak_ptr<View> weak = weak_from_this();
  View::animate(
      kFade,
      [this] {
        setAlpha(0);
        layer().addAnimation(scaleAnimation(false), kDisappearKey);
      },
      [weak](bool finished) {
        auto alert = std::static_pointer_cast<QRVAlertView>(weak.lock());
        if (!finished || !alert) return;
        if (alert->bgControl_) alert->bgControl_->removeFromSuperview();
        alert->removeFromSuperview();
      });
}

void QRVAlertView::onCancelBtnClicked() {
  auto keepAlive = shared_from_this();
  hide();
  if (onCancelBlock_) {
    onCancelBlock_();
  } else if (auto delegate = delegate_.lock()) {
    delegate->cancelBtnClicked(*this);
  }
}

void QRVAlertView::onConfirmBtnClicked() {
  auto keepAlive = shared_from_this();
  if (autoHidden_) hide();
  if (onConfirmBlock_) {
    onConfirmBlock_();
  } else if (auto delegate = delegate_.lock()) {
    delegate->confirmBtnClicked(*this);
  }
}

void QRVAlertView::clickBGView() {
  if (auto delegate = delegate_.lock()) delegate->keybordPullDown(*this);
}

ui::View* QRVAlertView::keyboardView() { return ui::Application::shared().keyboardHostView(); }

ui::View* QRVAlertView::viewForView(ui::View* view) {
  ui::View* keyboard = keyboardView();
  return keyboard && keyboard->superview() ? keyboard->superview() : view;
}

ui::KeyframeAnimation QRVAlertView::scaleAnimation(bool appearing) {
  auto scales = [](std::initializer_list<double> factors) {
    std::vector<ui::AffineTransform> values;
    for (double factor : factors) values.push_back(ui::AffineTransform::scale(factor));
    return values;
  };
  ui::KeyframeAnimation animation =
      appearing ? ui::KeyframeAnimation::transform(scales({0.85, 1.05, 0.95, 1.0}), foundation::Duration(0.5))
                : ui::KeyframeAnimation::transform(scales({1.0, 0.9, 0.8, 0.6}), foundation::Duration(0.3));
  animation.timing = ui::AnimationCurve::EaseInOut;
  animation.removedOnCompletion = true;
  return animation;
}

}  // namespace framework
