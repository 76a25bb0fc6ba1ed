#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Value.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/View.h"

namespace framework {

// The states of the pull-to-refresh header and the load-more footer.
enum QRVPullState : int {
  kQRVPullStatePulling = 0,  // released now, it would trigger
  kQRVPullStateNormal = 1,
  kQRVPullStateLoading = 2,
};

class QRVTableHeaderRefreshView;

// Told about the header; every method is optional. Main thread.
class QRVTableHeaderRefreshViewDelegate {
 public:
  virtual ~QRVTableHeaderRefreshViewDelegate() = default;
  // When the data was last brought up to date; nullopt leaves the last-update line empty.
  virtual std::optional<foundation::Date> tableHeaderRefreshViewDataSourceLastUpdated(QRVTableHeaderRefreshView&) {
    return std::nullopt;
  }
  virtual bool tableHeaderRefreshViewDataSourceIsLoading(QRVTableHeaderRefreshView&) { return false; }
  virtual void tableHeaderRefreshViewDidTriggerRefresh(QRVTableHeaderRefreshView&) {}
};

// A header above a table's content that turns a pull of more than 65 points into a refresh, and
// keeps itself in view (up to 60 points) while loading. Its owner places it with its bottom edge
// at the content's top, forwards the scroll view's events and reports the end of loading. It
// plays "up.wav", "down.wav" and "end.wav" from the resources as the state changes. A new header
// is in the pulling state with empty labels until its first state change. Main thread only.
class QRVTableHeaderRefreshView : public ui::View {
 public:
  static constexpr double kTriggerPull = 65;
  static constexpr double kLoadingInset = 60;

  // Main thread.
  explicit QRVTableHeaderRefreshView(const ui::Rect& frame);

  int state() const { return state_; }
  // Main thread. Shows the state; any number is stored, only 0-2 change what is shown.
  void setState(int state);
  // Main thread. The last-update line from the delegate's date.
  void refreshLastUpdatedDate();

  // Main thread. The owner's scroll-view events.
  void onScrollViewDidScroll(ui::ScrollView& scrollView);
  void onScrollViewDidEndDragging(ui::ScrollView& scrollView);
  void onScrollViewDataSourceDidFinishedLoading(ui::ScrollView& scrollView);
  // Main thread. For a load the user did not pull for: loading, with the header in view at once.
  void onFirstLoadingStarted(ui::ScrollView& scrollView);

  // Main thread. Plays the named sound of the resources; a missing sound is skipped.
  void audioPlay(const std::string& soundFileName);

  // Main thread. Held weakly.
  std::shared_ptr<QRVTableHeaderRefreshViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<QRVTableHeaderRefreshViewDelegate>& delegate) { delegate_ = delegate; }

  ui::Label& lastUpdatedLabel() { return *lastUpdatedLabel_; }
  ui::Label& statusLabel() { return *statusLabel_; }
  ui::ImageView& arrowImageLayer() { return *arrowImageLayer_; }
  ui::ActivityIndicatorView& activityView() { return *activityView_; }

 private:
  bool delegateReportsLoading();

  int state_ = kQRVPullStatePulling;
  std::weak_ptr<QRVTableHeaderRefreshViewDelegate> delegate_;
  std::shared_ptr<ui::Label> lastUpdatedLabel_;
  std::shared_ptr<ui::Label> statusLabel_;
  std::shared_ptr<ui::ImageView> arrowImageLayer_;
  std::shared_ptr<ui::ActivityIndicatorView> activityView_;
};

}  // namespace framework
