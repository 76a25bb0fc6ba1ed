#pragma once

#include <memory>

#include "platform/ui/View.h"

namespace ui {

class PanGestureRecognizer;
class ScrollView;

// Told about scrolling; every method is optional. Main thread.
class ScrollViewDelegate {
 public:
  virtual ~ScrollViewDelegate() = default;
  virtual void scrollViewDidScroll(ScrollView& /*scrollView*/) {}
  virtual void scrollViewWillBeginDragging(ScrollView& /*scrollView*/) {}
  virtual void scrollViewDidEndDragging(ScrollView& /*scrollView*/, bool /*willDecelerate*/) {}
  virtual void scrollViewDidEndScrollingAnimation(ScrollView& /*scrollView*/) {}
};

// A view whose content, contentSize large, scrolls under its bounds: the content offset is the
// bounds' origin. A finger dragging the view moves the content (past the edges too when it
// bounces); on release, content beyond the edges (insets included) springs back in 0.3 s.
// Main thread only.
class ScrollView : public View {
 public:
  // Main thread.
  explicit ScrollView(const Rect& frame = {});
  ~ScrollView() override;

  // Main thread.
  Point contentOffset() const { return bounds().origin; }
  void setContentOffset(Point offset, bool animated = false);
  Size contentSize() const { return contentSize_; }
  void setContentSize(Size size) { contentSize_ = size; }
  EdgeInsets contentInset() const { return contentInset_; }
  // Main thread. Unless a finger is dragging, content left beyond the new resting range moves back
  // into it; inside View::animate that move animates with the block.
  void setContentInset(EdgeInsets insets);
  // Main thread. How far in from the edges the scroll indicators keep.
  EdgeInsets scrollIndicatorInsets() const { return scrollIndicatorInsets_; }
  void setScrollIndicatorInsets(EdgeInsets insets) { scrollIndicatorInsets_ = insets; }
  bool isScrollEnabled() const { return scrollEnabled_; }
  void setScrollEnabled(bool enabled);
  bool bounces() const { return bounces_; }
  void setBounces(bool bounces) { bounces_ = bounces; }
  bool alwaysBounceVertical() const { return alwaysBounceVertical_; }
  void setAlwaysBounceVertical(bool bounce) { alwaysBounceVertical_ = bounce; }
  // Main thread. Whether a finger is dragging the content now.
  bool isDragging() const { return dragging_; }

  // Main thread. Unretained.
  ScrollViewDelegate* delegate() const { return delegate_; }
  void setDelegate(ScrollViewDelegate* delegate) { delegate_ = delegate; }
  PanGestureRecognizer& panGestureRecognizer() { return *pan_; }

  // Main thread. The offsets the content rests between.
  Point minimumContentOffset() const;
  Point maximumContentOffset() const;
  // Main thread. Scrolls the least needed to show the rect of the content.
  void scrollRectToVisible(const Rect& rect, bool animated);

 protected:
  // Main thread. Called after every change of the content offset; tells the delegate.
  virtual void didScroll();

 private:
  void handlePan();
  Point clampedOffset(Point offset) const;

  Size contentSize_;
  EdgeInsets contentInset_;
  EdgeInsets scrollIndicatorInsets_;
  bool scrollEnabled_ = true;
  bool bounces_ = true;
  bool alwaysBounceVertical_ = false;
  bool dragging_ = false;
  Point dragStartOffset_;
  ScrollViewDelegate* delegate_ = nullptr;
  std::shared_ptr<PanGestureRecognizer> pan_;
};

}  // namespace ui
