#include "src/framework/ui/QRVTableFooterDragLoadingMoreCell.h"

#include <cmath>

#include "platform/ui/Nib.h"

namespace framework {
namespace {

constexpr foundation::Duration kArrowTurn{0.3};

// The cell's interface file: spinner and arrow side by side left of the centred message.
ui::Nib::TopLevelObjects buildFooterNib(const std::any&) {
  auto indicator = std::make_shared<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::Gray);
  indicator->setFrame({80, 12, 20, 20});
  auto arrow = std::make_shared<ui::ImageView>(ui::Rect{80, 7, 20, 30});
  arrow->setImage(ui::Image::named("loading_arrow_up.png"));
  arrow->setContentMode(ui::ContentMode::ScaleAspectFit);
  arrow->setBackgroundColor(ui::Color::clear());
  auto message = std::make_shared<ui::Label>(ui::Rect{0, 12, 320, 20});
  message->setAutoresizingMask(ui::kFlexibleWidth);
  message->setFont(ui::Font::systemFont(13));
  message->setTextColor(ui::Color::rgb255(155, 155, 155));
  message->setBackgroundColor(ui::Color::clear());
  message->setTextAlignment(ui::TextAlignment::Center);
  return {std::make_shared<QRVTableFooterDragLoadingMoreCell>(indicator, arrow, message)};
}

const ui::Nib::Registration kFooterNib(QRVTableFooterDragLoadingMoreCell::kXibName, buildFooterNib);

}  // namespace

std::shared_ptr<QRVTableFooterDragLoadingMoreCell> QRVTableFooterDragLoadingMoreCell::cellWithXib() {
  return loadFromXib<QRVTableFooterDragLoadingMoreCell>();
}

QRVTableFooterDragLoadingMoreCell::QRVTableFooterDragLoadingMoreCell(
    std::shared_ptr<ui::ActivityIndicatorView> indicatorView, std::shared_ptr<ui::ImageView> arrowImageView,
    std::shared_ptr<ui::Label> messageLbl)
    : QRVXibTableCellView(kXibName),
      indicatorView_(std::move(indicatorView)),
      arrowImageView_(std::move(arrowImageView)),
      messageLbl_(std::move(messageLbl)) {
  setSelectionStyle(SelectionStyle::None);
  contentView().addSubview(indicatorView_);
  contentView().addSubview(arrowImageView_);
  contentView().addSubview(messageLbl_);
  setState(kQRVPullStateNormal);
}

void QRVTableFooterDragLoadingMoreCell::setState(int state) {
  int previous = state_;
  state_ = state;
  switch (state) {
    case kQRVPullStatePulling:
      indicatorView_->setAlpha(0);
      messageLbl_->setText("松开即可加载更多...");
      View::animate(kArrowTurn, [&] { arrowImageView_->setTransform(ui::AffineTransform::rotation(M_PI)); });
      break;
    case kQRVPullStateNormal:
      if (previous == kQRVPullStatePulling)
        View::animate(kArrowTurn, [&] { arrowImageView_->setTransform(ui::AffineTransform::identity()); });
      messageLbl_->setText("上拉加载更多…");
      indicatorView_->stopAnimating();
      indicatorView_->setAlpha(0);
      View::performWithoutAnimation([&] {
        arrowImageView_->setAlpha(1.0);
        arrowImageView_->setTransform(ui::AffineTransform::identity());
      });
      break;
    case kQRVPullStateLoading:
      messageLbl_->setText("加载中...");
      indicatorView_->setAlpha(1.0);
      indicatorView_->startAnimating();
      View::performWithoutAnimation([&] { arrowImageView_->setAlpha(0); });
      break;
    default:
      break;
  }
}

bool QRVTableFooterDragLoadingMoreCell::canLoadMore() {
  auto delegate = delegate_.lock();
  return delegate && delegate->tableHeaderFooterDragViewCanLoadMore(*this);
}

bool QRVTableFooterDragLoadingMoreCell::delegateReportsLoading() {
  auto delegate = delegate_.lock();
  return delegate && delegate->tableHeaderFooterDragViewDataSourceIsLoading(*this);
}

void QRVTableFooterDragLoadingMoreCell::onScrollViewDidScroll(ui::ScrollView& scrollView) {
  if (!canLoadMore() || state_ == kQRVPullStateLoading) return;
  double bottom = scrollView.contentOffset().y + scrollView.bounds().height();
  setState(bottom > scrollView.contentSize().height + kTriggerOvershoot ? kQRVPullStatePulling : kQRVPullStateNormal);
}

void QRVTableFooterDragLoadingMoreCell::onScrollViewDidEndDragging(ui::ScrollView&) {
  auto delegate = delegate_.lock();
  if (!canLoadMore() || delegateReportsLoading() || state_ != kQRVPullStatePulling || !delegate ||
      !delegate->respondsTo(QRVTableFooterDragLoadingMoreCellDelegate::Optional::LoadingMoreActionTriggered))
    return;
  setState(kQRVPullStateLoading);
  delegate->tableHeaderFooterDragLoadingMoreActionTriggered(*this);
}

void QRVTableFooterDragLoadingMoreCell::onScrollViewDataSourceDidFinishedLoading(ui::ScrollView&) {
  setState(kQRVPullStateNormal);
}

}  // namespace framework
