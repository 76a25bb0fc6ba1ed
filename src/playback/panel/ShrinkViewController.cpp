#include "src/playback/panel/ShrinkViewController.h"

#include "platform/ui/Application.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "src/playback/panel/WebAddress.h"
#include "src/services/UsageAnalytics.h"

namespace playback {

namespace {

constexpr ui::Color kLinkColour = ui::Color::rgb255(42, 182, 243);
constexpr ui::Color kSheetColour = ui::Color::rgb255(247, 247, 247);

}  // namespace

ShrinkViewController::ShrinkViewController()
    : modalView_(std::make_shared<ui::View>()), buttonView_(std::make_shared<ui::View>()) {
  modalView_->setBackgroundColor(ui::Color::black().withAlpha(0.6));
  buttonView_->setBackgroundColor(backgroundColor_);
}

ShrinkViewController::ShrinkViewController(double fraction) : ShrinkViewController() { aNumberByScreen_ = fraction; }

void ShrinkViewController::viewDidLoad() {
  ui::View& root = *view();
  root.setOpaque(false);
  root.setBackgroundColor(ui::Color::clear());
  root.setAutoresizingMask(ui::kFlexibleWidth | ui::kFlexibleHeight);
  modalView_->setFrame(root.bounds());
  modalView_->setAutoresizingMask(ui::kFlexibleWidth | ui::kFlexibleHeight);
  root.addSubview(modalView_);
  const double height = root.bounds().height();
  const double width = root.bounds().width();
  const double sheetHeight = height / aNumberByScreen_;
  buttonView_->setFrame({0, height - sheetHeight, width, sheetHeight});
  buttonView_->setAutoresizingMask(ui::kFlexibleWidth | ui::kFlexibleHeight);
  buttonView_->setBackgroundColor(kSheetColour);
  root.addSubview(buttonView_);
  buildButtonView(height);
}

void ShrinkViewController::buildButtonView(double height) {
  auto notice = std::make_shared<ui::Label>(ui::Rect{0, 10, 320, 22});
  notice->setText(kNoDeviceText);
  notice->setTextColor(ui::Color::black());
  notice->setFont(ui::Font::systemFont(12));
  notice->setTextAlignment(ui::TextAlignment::Center);
  buttonView_->addSubview(notice);

  auto logo = std::make_shared<ui::ImageView>(ui::Rect{147, 35, 23, 24});
  logo->setImage(ui::Image::named("partner_logo.png"));
  buttonView_->addSubview(logo);

  goToSafariBtn_ = std::make_shared<ui::Button>(ui::Rect{10, 60, 300, 30});
  goToSafariBtn_->setTitle(kPartnerTitle);
  goToSafariBtn_->setTitleColor(kLinkColour);
  goToSafariBtn_->titleLabel().setFont(ui::Font::systemFont(14));
  goToSafariBtn_->addAction(ui::kTouchUpInside, [this](ui::Control&) { goToSafariBtnPressed(); });
  buttonView_->addSubview(goToSafariBtn_);

  // The quarter is fixed here, whatever the sheet's fraction.
  const double lift = ui::Screen::main().systemVersionNumber() >= 7 ? 40 : 20;
  cancelButton_ = std::make_shared<ui::Button>(ui::Rect{0, height / 4 - lift, 320, 40});
  cancelButton_->setBackgroundColor(ui::Color::white());
  cancelButton_->setTitle(kCancelTitle);
  cancelButton_->setTitleColor(kLinkColour);
  cancelButton_->setAutoresizingMask(ui::kFlexibleLeftMargin | ui::kFlexibleTopMargin);
  cancelButton_->addAction(ui::kTouchUpInside, [this](ui::Control&) { buttonTapped(); });
  buttonView_->addSubview(cancelButton_);
}

void ShrinkViewController::showInView(ui::View& target) {
  ui::View* holder = target.superview();
  if (!holder) return;
  ui::View& sheet = *view();
  modalView_->setAlpha(0);
  holder->addSubview(view());
  shrunkView_ = target.weak_from_this();
  sheet.setFrame(holder->bounds());
  buttonView_->setTransform(ui::AffineTransform::translation(0, buttonView_->bounds().height()));
  const std::uint64_t transition = ++transition_;
  std::weak_ptr<ViewController> weak = weak_from_this();
  ui::View::animate(
      foundation::Duration(kAnimationSeconds),
      [&] {
        target.setTransform(ui::AffineTransform::scale(kShrunkScale));
        modalView_->setAlpha(1.0);
        buttonView_->setTransform(ui::AffineTransform::identity());
      },
      [weak, transition](bool) {
        auto self = std::static_pointer_cast<ShrinkViewController>(weak.lock());
        if (self && self->transition_ == transition) self->visible_ = true;
      });
}

void ShrinkViewController::hide() {
  if (!view()->superview()) return;
  const std::uint64_t transition = ++transition_;
  std::weak_ptr<ViewController> weak = weak_from_this();
  ui::View::animate(
      foundation::Duration(kAnimationSeconds),
      [&] {
        if (auto shrunk = shrunkView_.lock()) shrunk->setTransform(ui::AffineTransform::identity());
        modalView_->setAlpha(0);
        buttonView_->setTransform(ui::AffineTransform::translation(0, buttonView_->bounds().height()));
      },
      [weak, transition](bool) {
        auto self = std::static_pointer_cast<ShrinkViewController>(weak.lock());
        if (!self || self->transition_ != transition) return;
        self->view()->removeFromSuperview();
        self->visible_ = false;
      });
}

void ShrinkViewController::buttonTapped() { hide(); }

void ShrinkViewController::goToSafariBtnPressed() {
  if (isWebAddress(kPartnerAddress)) ui::Application::shared().openURL(kPartnerAddress);
  hide();
  services::UsageAnalytics::event(kPartnerClickEvent);
}

}  // namespace playback
