#include "src/framework/request/QRVMaskActivityView.h"

#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Nib.h"

namespace framework {
namespace {

constexpr double kBoxSide = 80;

ui::Nib::TopLevelObjects buildMaskNib(const std::any&) {
  auto mask = std::make_shared<QRVMaskActivityView>();
  mask->setFrame({0, 0, 320, 480});
  mask->setBackgroundColor(ui::Color::clear());
  mask->setOpaque(false);
  mask->setAutoresizingMask(ui::kFlexibleWidth | ui::kFlexibleHeight);

  auto box = std::make_shared<ui::View>(ui::Rect{(320 - kBoxSide) / 2, (480 - kBoxSide) / 2, kBoxSide, kBoxSide});
  box->setBackgroundColor(ui::Color::black().withAlpha(0.6));
  box->setAutoresizingMask(ui::kFlexibleLeftMargin | ui::kFlexibleRightMargin | ui::kFlexibleTopMargin |
                           ui::kFlexibleBottomMargin);
  auto spinner = std::make_shared<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::WhiteLarge);
  spinner->setCenter({kBoxSide / 2, kBoxSide / 2});
  spinner->startAnimating();
  box->addSubview(spinner);

  mask->addSubview(box);
  mask->setBgMaskView(box);
  return {mask};
}

const ui::Nib::Registration kMaskNib(QRVMaskActivityView::kXibName, buildMaskNib);

}  // namespace

void QRVMaskActivityView::awakeFromNib() {
  if (!bgMaskView_) return;
  bgMaskView_->layer().setCornerRadius(kCornerRadius);
  bgMaskView_->layer().setMasksToBounds(true);
}

void QRVMaskActivityView::showInView(ui::View& view) {
  setFrame(view.bounds());
  setAlpha(0);
  view.addSubview(shared_from_this());
  ui::View::animate(foundation::Duration(kFadeSeconds), [this] { setAlpha(1.0); });
}

void QRVMaskActivityView::hide() {
  std::weak_ptr<ui::View> weakSelf = weak_from_this();
  ui::View::animate(
      foundation::Duration(kFadeSeconds), [this] { setAlpha(0); },
      [weakSelf](bool) {
        if (auto self = weakSelf.lock()) self->removeFromSuperview();
      });
}

}  // namespace framework
