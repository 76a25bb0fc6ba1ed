#include "src/framework/ui/QRVBlurView.h"

#include "platform/ui/Screen.h"

namespace framework {

QRVBlurView::QRVBlurView(const ui::Rect& frame) : View(frame) { setup(); }

void QRVBlurView::setup() {
  setClipsToBounds(true);
  if (toolbar_) return;
  toolbar_ = std::make_shared<ui::Toolbar>(bounds());
  insertSubview(toolbar_, 0);
}

void QRVBlurView::setBlurTintColor(ui::Color color) {
  blurTintColor_ = color;
  if (runningiOS7())
    toolbar_->setBarTintColor(color);
  else
    toolbar_->setBackgroundColor(color);
}

void QRVBlurView::layoutSubviews() {
  View::layoutSubviews();
  toolbar_->setFrame(bounds());
}

bool QRVBlurView::runningiOS7() { return ui::Screen::main().systemVersionNumber() >= 7.0; }

}  // namespace framework
