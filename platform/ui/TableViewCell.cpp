#include "platform/ui/TableViewCell.h"

#include "platform/ui/GraphicsContext.h"

namespace ui {

TableViewCell::TableViewCell(std::string reuseIdentifier, const Rect& frame)
    : View(frame), reuseIdentifier_(std::move(reuseIdentifier)), contentView_(std::make_shared<View>(bounds())) {
  contentView_->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  addSubview(contentView_);
}

void TableViewCell::setSelected(bool selected, bool) {
  selected_ = selected;
  setNeedsDisplay();
}

void TableViewCell::layoutSubviews() { contentView_->setFrame(bounds()); }

void TableViewCell::draw(GraphicsContext& context, const Rect& rect) {
  if (!selected_ || selectionStyle_ == SelectionStyle::None) return;
  context.setFillColor(selectionStyle_ == SelectionStyle::Blue ? Color::rgb255(0, 122, 255) : Color::white(0.85));
  context.fillRect(rect);
}

View::DrawnContent TableViewCell::drawnContent() const {
  return selected_ && selectionStyle_ != SelectionStyle::None ? DrawnContent::OneLayer : DrawnContent::Nothing;
}

}  // namespace ui
