#include "platform/ui/ScrollView.h"

#include <algorithm>

#include "platform/ui/GestureRecognizer.h"

namespace ui {
namespace {

constexpr foundation::Duration kScrollAnimation{0.3};

}  // namespace

ScrollView::ScrollView(const Rect& frame) : View(frame), pan_(std::make_shared<PanGestureRecognizer>()) {
  setClipsToBounds(true);
  pan_->addAction([this](GestureRecognizer&) { handlePan(); });
  addGestureRecognizer(pan_);
}

ScrollView::~ScrollView() = default;

void ScrollView::setScrollEnabled(bool enabled) {
  scrollEnabled_ = enabled;
  pan_->setEnabled(enabled);
}

Point ScrollView::minimumContentOffset() const { return {-contentInset_.left, -contentInset_.top}; }

Point ScrollView::maximumContentOffset() const {
  Point minimum = minimumContentOffset();
  return {std::max(minimum.x, contentSize_.width + contentInset_.right - bounds().width()),
          std::max(minimum.y, contentSize_.height + contentInset_.bottom - bounds().height())};
}

Point ScrollView::clampedOffset(Point offset) const {
  Point minimum = minimumContentOffset(), maximum = maximumContentOffset();
  return {std::clamp(offset.x, minimum.x, maximum.x), std::clamp(offset.y, minimum.y, maximum.y)};
}

void ScrollView::setContentInset(EdgeInsets insets) {
  contentInset_ = insets;
  if (dragging_) return;
  Point rest = clampedOffset(contentOffset());
  if (rest == contentOffset()) return;
  setBounds({rest, bounds().size});
  didScroll();
}

void ScrollView::setContentOffset(Point offset, bool animated) {
  Rect target{offset, bounds().size};
  if (!animated) {
    setBounds(target);
    didScroll();
    return;
  }
  std::weak_ptr<View> weak = weak_from_this();
  View::animate(
      kScrollAnimation, foundation::Duration(0), {}, [&] { setBounds(target); },
      [this, weak](bool) {
        if (weak.lock() && delegate_) delegate_->scrollViewDidEndScrollingAnimation(*this);
      });
  didScroll();
}

void ScrollView::scrollRectToVisible(const Rect& rect, bool animated) {
  Point offset = contentOffset();
  Size size = bounds().size;
  if (rect.minY() < offset.y)
    offset.y = rect.minY();
  else if (rect.maxY() > offset.y + size.height)
    offset.y = rect.maxY() - size.height;
  if (rect.minX() < offset.x)
    offset.x = rect.minX();
  else if (rect.maxX() > offset.x + size.width)
    offset.x = rect.maxX() - size.width;
  setContentOffset(clampedOffset(offset), animated);
}

void ScrollView::didScroll() {
  if (delegate_) delegate_->scrollViewDidScroll(*this);
}

void ScrollView::handlePan() {
  switch (pan_->state()) {
    case GestureState::Began:
      dragging_ = true;
      dragStartOffset_ = contentOffset();
      if (delegate_) delegate_->scrollViewWillBeginDragging(*this);
      [[fallthrough]];
    case GestureState::Changed: {
      Point moved = pan_->translationInView(this);
      bool horizontal = contentSize_.width > bounds().width();
      bool vertical = alwaysBounceVertical_ || contentSize_.height > bounds().height();
      Point offset{horizontal ? dragStartOffset_.x - moved.x : dragStartOffset_.x,
                   vertical ? dragStartOffset_.y - moved.y : dragStartOffset_.y};
      setContentOffset(bounces_ ? offset : clampedOffset(offset));
      break;
    }
    case GestureState::Ended:
    case GestureState::Cancelled: {
      dragging_ = false;
      if (delegate_) delegate_->scrollViewDidEndDragging(*this, false);
      Point rest = clampedOffset(contentOffset());
      if (rest != contentOffset()) setContentOffset(rest, true);
      break;
    }
    default:
      break;
  }
}

}  // namespace ui
