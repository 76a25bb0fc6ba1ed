#include "src/framework/ui/QRVTableHeaderRefreshView.h"

#include <algorithm>
#include <cmath>

#include "platform/media/SystemSounds.h"
#include "platform/ui/Resources.h"
#include "src/framework/categories/DateAdditions.h"

namespace framework {
namespace {

constexpr ui::Color kTextColor = ui::Color::rgb255(155, 155, 155);
constexpr foundation::Duration kArrowTurn{0.18};
constexpr foundation::Duration kInsetOpening{0.2};
constexpr foundation::Duration kInsetClosing{0.3};

std::shared_ptr<ui::Label> headerLabel(const ui::Rect& frame, const ui::Font& font) {
  auto label = std::make_shared<ui::Label>(frame);
  label->setAutoresizingMask(ui::kFlexibleWidth);
  label->setFont(font);
  label->setTextColor(kTextColor);
  label->setBackgroundColor(ui::Color::clear());
  label->setTextAlignment(ui::TextAlignment::Center);
  return label;
}

void setTopInset(ui::ScrollView& scrollView, double top) { scrollView.setContentInset({top, 0, 0, 0}); }

}  // namespace

QRVTableHeaderRefreshView::QRVTableHeaderRefreshView(const ui::Rect& frame) : View(frame) {
  double w = frame.width(), h = frame.height();
  setAutoresizingMask(ui::kFlexibleWidth);
  setBackgroundColor(ui::Color::rgb255(226, 231, 237));
  setOpaque(true);

  lastUpdatedLabel_ = headerLabel({0, h - 30, w, 20}, ui::Font::systemFont(12));
  statusLabel_ = headerLabel({0, h - 48, w, 20}, ui::Font::boldSystemFont(13));
  arrowImageLayer_ = std::make_shared<ui::ImageView>(ui::Rect{25, h - 55, 30, 45});
  arrowImageLayer_->setImage(ui::Image::named("loading_arrow_down.png"));
  arrowImageLayer_->setContentMode(ui::ContentMode::ScaleAspectFit);
  arrowImageLayer_->setBackgroundColor(ui::Color::clear());
  activityView_ = std::make_shared<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::Gray);
  activityView_->setFrame({25, h - 35, 20, 20});
  addSubview(lastUpdatedLabel_);
  addSubview(statusLabel_);
  addSubview(arrowImageLayer_);
  addSubview(activityView_);
}

void QRVTableHeaderRefreshView::setState(int state) {
  int previous = state_;
  state_ = state;
  lastUpdatedLabel_->setHidden(false);
  activityView_->setFrame({25, frame().height() - 35, 20, 20});
  switch (state) {
    case kQRVPullStateLoading:
      statusLabel_->setText("加载中...");
      activityView_->startAnimating();
      View::performWithoutAnimation([&] { arrowImageLayer_->setHidden(true); });
      break;
    case kQRVPullStateNormal:
      if (previous == kQRVPullStatePulling)
        View::animate(kArrowTurn, [&] { arrowImageLayer_->setTransform(ui::AffineTransform::identity()); });
      statusLabel_->setText("下拉可以刷新…");
      activityView_->stopAnimating();
      View::performWithoutAnimation([&] {
        arrowImageLayer_->setHidden(false);
        arrowImageLayer_->setTransform(ui::AffineTransform::identity());
      });
      refreshLastUpdatedDate();
      break;
    case kQRVPullStatePulling:
      statusLabel_->setText("松开即可刷新...");
      View::animate(kArrowTurn, [&] { arrowImageLayer_->setTransform(ui::AffineTransform::rotation(M_PI)); });
      break;
    default:
      break;
  }
}

void QRVTableHeaderRefreshView::refreshLastUpdatedDate() {
  std::optional<foundation::Date> date;
  if (auto delegate = delegate_.lock()) date = delegate->tableHeaderRefreshViewDataSourceLastUpdated(*this);
  lastUpdatedLabel_->setText(date ? "最后更新: " + date_additions::stringWithFormat(*date, "yyyy-MM-dd HH:mm:ss")
                                  : std::string());
}

bool QRVTableHeaderRefreshView::delegateReportsLoading() {
  auto delegate = delegate_.lock();
  return delegate && delegate->tableHeaderRefreshViewDataSourceIsLoading(*this);
}

void QRVTableHeaderRefreshView::onScrollViewDidScroll(ui::ScrollView& scrollView) {
  double y = scrollView.contentOffset().y;
  if (state_ == kQRVPullStateLoading) {
    setTopInset(scrollView, std::min(std::max(-y, 0.0), kLoadingInset));
  } else if (!scrollView.isDragging()) {
    scrollView.setContentInset({});
  } else {
    bool loading = delegateReportsLoading();
    if (state_ == kQRVPullStatePulling && y > -kTriggerPull && y < 0 && !loading) {
      setState(kQRVPullStateNormal);
      audioPlay("up.wav");
    } else if (state_ == kQRVPullStateNormal && y < -kTriggerPull && !loading) {
      setState(kQRVPullStatePulling);
      audioPlay("down.wav");
    }
    if (scrollView.contentInset().top != 0) scrollView.setContentInset({});
  }
}

void QRVTableHeaderRefreshView::onScrollViewDidEndDragging(ui::ScrollView& scrollView) {
  // A pull while a refresh is under way starts no second one, whether or not the delegate says so.
  if (scrollView.contentOffset().y > -kTriggerPull || state_ == kQRVPullStateLoading || delegateReportsLoading())
    return;
  if (auto delegate = delegate_.lock()) delegate->tableHeaderRefreshViewDidTriggerRefresh(*this);
  setState(kQRVPullStateLoading);
  View::animate(kInsetOpening, [&] { setTopInset(scrollView, kLoadingInset); });
  audioPlay("end.wav");
}

void QRVTableHeaderRefreshView::onScrollViewDataSourceDidFinishedLoading(ui::ScrollView& scrollView) {
  View::animate(kInsetClosing, [&] { scrollView.setContentInset({}); });
  setState(kQRVPullStateNormal);
}

void QRVTableHeaderRefreshView::onFirstLoadingStarted(ui::ScrollView& scrollView) {
  setState(kQRVPullStateLoading);
  View::performWithoutAnimation([&] {
    setTopInset(scrollView, kLoadingInset);
    scrollView.setContentOffset({0, -kLoadingInset});
  });
}

void QRVTableHeaderRefreshView::audioPlay(const std::string& soundFileName) {
  std::optional<std::string> path = ui::Resources::pathFor(soundFileName);
  if (!path) return;
  media::SystemSounds& sounds = media::SystemSounds::shared();
  media::SystemSounds::SoundID sound = sounds.create(*path);
  if (sound == media::SystemSounds::kNoSound) return;
  // Each play makes its own sound; letting it go once heard keeps plays from piling up.
  sounds.play(sound, [sound] { media::SystemSounds::shared().dispose(sound); });
}

}  // namespace framework
