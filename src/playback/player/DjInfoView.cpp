#include "src/playback/player/DjInfoView.h"

namespace playback {

void DjInfoView::setNameAndArrow(std::shared_ptr<ui::Label> name, std::shared_ptr<ui::ImageView> arrow) {
  name_ = std::move(name);
  arrow_ = std::move(arrow);
}

void DjInfoView::layoutSubviews() {
  if (!name_ || !arrow_) return;
  name_->sizeToFit();
  ui::Rect name = name_->frame();
  name.origin.y = (frame().height() - name.height()) / 2;
  name_->setFrame(name);
  ui::Rect arrow = arrow_->frame();
  arrow.origin.x = name.maxX() + 3;
  arrow_->setFrame(arrow);
}

}  // namespace playback
