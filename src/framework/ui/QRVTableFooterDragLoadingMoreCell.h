#pragma once

#include <memory>

#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/ScrollView.h"
#include "src/framework/ui/QRVTableHeaderRefreshView.h"
#include "src/framework/ui/QRVXibTableCellView.h"

namespace framework {

class QRVTableFooterDragLoadingMoreCell;

// Told about the footer; every method is optional. Main thread.
class QRVTableFooterDragLoadingMoreCellDelegate {
 public:
  enum class Optional { LoadingMoreActionTriggered };
  virtual ~QRVTableFooterDragLoadingMoreCellDelegate() = default;
  // Main thread. Whether this delegate implements the optional method: a footer whose delegate
  // would not hear the trigger stays out of the loading state.
  virtual bool respondsTo(Optional) const { return false; }

  virtual bool tableHeaderFooterDragViewCanLoadMore(QRVTableFooterDragLoadingMoreCell&) { return false; }
  virtual bool tableHeaderFooterDragViewDataSourceIsLoading(QRVTableFooterDragLoadingMoreCell&) { return false; }
  virtual void tableHeaderFooterDragLoadingMoreActionTriggered(QRVTableFooterDragLoadingMoreCell&) {}
};

// The last cell of a table: released while the visible bottom lies more than 20 points past the
// end of the content (so at once over content shorter than the view), it asks the delegate for
// more rows. Its owner forwards the scroll view's events and reports the end
// of loading. Loaded from the nib "QRVTableFooterDragLoadingMoreCell". Main thread only.
class QRVTableFooterDragLoadingMoreCell : public QRVXibTableCellView {
 public:
  static constexpr const char* kXibName = "QRVTableFooterDragLoadingMoreCell";
  static constexpr double kTriggerOvershoot = 20;

  // Main thread. A cell from its nib, in the normal state; nullptr when the nib is missing.
  static std::shared_ptr<QRVTableFooterDragLoadingMoreCell> cellWithXib();

  // Main thread. Public for the nib; use cellWithXib().
  QRVTableFooterDragLoadingMoreCell(std::shared_ptr<ui::ActivityIndicatorView> indicatorView,
                                    std::shared_ptr<ui::ImageView> arrowImageView,
                                    std::shared_ptr<ui::Label> messageLbl);

  int state() const { return state_; }
  // Main thread. Shows the state; any number is stored, only 0-2 change what is shown.
  void setState(int state);
  // Main thread. The delegate's answer; false without one.
  bool canLoadMore();

  // Main thread. The owner's scroll-view events.
  void onScrollViewDidScroll(ui::ScrollView& scrollView);
  void onScrollViewDidEndDragging(ui::ScrollView& scrollView);
  void onScrollViewDataSourceDidFinishedLoading(ui::ScrollView& scrollView);

  // Main thread. Held weakly.
  std::shared_ptr<QRVTableFooterDragLoadingMoreCellDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<QRVTableFooterDragLoadingMoreCellDelegate>& delegate) { delegate_ = delegate; }
  ui::ActivityIndicatorView& indicatorView() { return *indicatorView_; }
  ui::ImageView& arrowImageView() { return *arrowImageView_; }
  ui::Label& messageLbl() { return *messageLbl_; }

 private:
  bool delegateReportsLoading();

  std::weak_ptr<QRVTableFooterDragLoadingMoreCellDelegate> delegate_;
  int state_ = kQRVPullStateNormal;
  std::shared_ptr<ui::ActivityIndicatorView> indicatorView_;
  std::shared_ptr<ui::ImageView> arrowImageView_;
  std::shared_ptr<ui::Label> messageLbl_;
};

}  // namespace framework
