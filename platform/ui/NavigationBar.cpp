#include "platform/ui/NavigationBar.h"

#include <algorithm>

#include "platform/ui/Button.h"
#include "platform/ui/Label.h"

namespace ui {
namespace {

constexpr double kSideMargin = 5;
constexpr double kButtonPadding = 10;

}  // namespace

NavigationBar::NavigationBar(const Rect& frame)
    : View(frame), titleLabel_(std::make_shared<Label>()), promptLabel_(std::make_shared<Label>()) {
  setBackgroundColor(Color::white(0.97));
  setAutoresizingMask(kFlexibleWidth);
  titleLabel_->setFont(Font::boldSystemFont(17));
  titleLabel_->setTextAlignment(TextAlignment::Center);
  addSubview(titleLabel_);
  promptLabel_->setFont(Font::systemFont(13));
  promptLabel_->setTextColor(Color::white(0.4));
  promptLabel_->setTextAlignment(TextAlignment::Center);
  promptLabel_->setHidden(true);
  addSubview(promptLabel_);
}

std::shared_ptr<View> NavigationBar::viewFor(const std::shared_ptr<BarButtonItem>& item) {
  if (!item) return nullptr;
  if (item->customView()) return item->customView();
  auto button = std::make_shared<Button>();
  button->setTitle(item->title());
  button->setTitleColor(Color::rgb255(0, 122, 255));
  if (item->style() == BarButtonItem::Style::Done) button->titleLabel().setFont(Font::boldSystemFont(15));
  button->setImage(item->image());
  button->setEnabled(item->isEnabled());
  std::weak_ptr<BarButtonItem> weak = item;
  button->addAction(kTouchUpInside, [weak](Control&) {
    if (auto pressed = weak.lock()) pressed->press();
  });
  Size fitted = button->sizeThatFits({});
  button->setFrame({0, 0, fitted.width + 2 * kButtonPadding, kHeight - 14});
  return button;
}

void NavigationBar::show(const NavigationItem& item, std::function<void()> back) {
  for (auto* side : {&left_, &right_, &titleView_}) {
    if (*side) (*side)->removeFromSuperview();
    *side = nullptr;
  }
  backItem_ = nullptr;
  left_ = viewFor(item.leftBarButtonItem);
  if (!left_ && back && !item.hidesBackButton) {
    backItem_ = std::make_shared<BarButtonItem>("返回", std::move(back));
    left_ = viewFor(backItem_);
  }
  right_ = viewFor(item.rightBarButtonItem);
  titleView_ = item.titleView;
  titleLabel_->setText(item.title);
  titleLabel_->setHidden(titleView_ != nullptr);
  promptLabel_->setText(item.prompt);
  promptLabel_->setHidden(item.prompt.empty());
  for (const auto& view : {left_, right_, titleView_}) {
    if (view) addSubview(view);
  }
  setNeedsLayout();
  layoutIfNeeded();
}

Size NavigationBar::sizeThatFits(Size size) const {
  double width = size.width > 0 ? size.width : bounds().width();
  return {width, kHeight + (promptLabel_->isHidden() ? 0 : kPromptHeight)};
}

void NavigationBar::layoutSubviews() {
  // The items keep to the bottom kHeight points; a prompt takes the room above them.
  Rect whole = bounds();
  promptLabel_->setFrame({0, 0, whole.width(), std::max(0.0, whole.height() - kHeight)});
  Rect box{0, std::max(0.0, whole.height() - kHeight), whole.width(), std::min(kHeight, whole.height())};
  double leftEdge = kSideMargin, rightEdge = box.width() - kSideMargin;
  if (left_) {
    Rect f = left_->frame();
    left_->setFrame({kSideMargin, box.midY() - f.height() / 2, f.width(), f.height()});
    leftEdge = left_->frame().maxX();
  }
  if (right_) {
    Rect f = right_->frame();
    right_->setFrame({box.width() - kSideMargin - f.width(), box.midY() - f.height() / 2, f.width(), f.height()});
    rightEdge = right_->frame().minX();
  }
  double side = std::max(leftEdge, box.width() - rightEdge);
  Rect middle{side, box.minY(), std::max(0.0, box.width() - 2 * side), box.height()};
  if (titleView_) {
    Rect f = titleView_->frame();
    titleView_->setFrame({box.midX() - f.width() / 2, box.midY() - f.height() / 2, f.width(), f.height()});
  }
  titleLabel_->setFrame(middle);
}

}  // namespace ui
