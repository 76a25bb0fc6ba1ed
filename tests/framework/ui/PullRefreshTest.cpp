#include <gtest/gtest.h>

#include "platform/media/SystemSounds.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/Window.h"
#include "src/framework/categories/DateAdditions.h"
#include "src/framework/ui/QRVTableFooterDragLoadingMoreCell.h"
#include "src/framework/ui/QRVTableHeaderRefreshView.h"
#include "tests/platform/ui/UiFixture.h"

namespace {

using framework::QRVTableFooterDragLoadingMoreCell;
using framework::QRVTableHeaderRefreshView;
using ui::Rect;

// The screen that owns the scroll view: forwards its events and answers both delegates.
class Owner : public ui::ScrollViewDelegate,
              public framework::QRVTableHeaderRefreshViewDelegate,
              public framework::QRVTableFooterDragLoadingMoreCellDelegate {
 public:
  QRVTableHeaderRefreshView* header = nullptr;
  QRVTableFooterDragLoadingMoreCell* footer = nullptr;
  bool loading = false;
  bool moreToLoad = true;
  bool hearsTrigger = true;
  std::optional<foundation::Date> lastUpdated;
  int refreshes = 0;
  int loadMores = 0;

  void scrollViewDidScroll(ui::ScrollView& scrollView) override {
    if (header) header->onScrollViewDidScroll(scrollView);
    if (footer) footer->onScrollViewDidScroll(scrollView);
  }
  void scrollViewDidEndDragging(ui::ScrollView& scrollView, bool) override {
    if (header) header->onScrollViewDidEndDragging(scrollView);
    if (footer) footer->onScrollViewDidEndDragging(scrollView);
  }
  std::optional<foundation::Date> tableHeaderRefreshViewDataSourceLastUpdated(QRVTableHeaderRefreshView&) override {
    return lastUpdated;
  }
  bool tableHeaderRefreshViewDataSourceIsLoading(QRVTableHeaderRefreshView&) override { return loading; }
  void tableHeaderRefreshViewDidTriggerRefresh(QRVTableHeaderRefreshView&) override { ++refreshes; }
  bool respondsTo(Optional) const override { return hearsTrigger; }
  bool tableHeaderFooterDragViewCanLoadMore(QRVTableFooterDragLoadingMoreCell&) override { return moreToLoad; }
  bool tableHeaderFooterDragViewDataSourceIsLoading(QRVTableFooterDragLoadingMoreCell&) override { return loading; }
  void tableHeaderFooterDragLoadingMoreActionTriggered(QRVTableFooterDragLoadingMoreCell&) override { ++loadMores; }
};

class PullRefreshTest : public uitest::UiFixture {
 protected:
  void SetUp() override {
    UiFixture::SetUp();
    media::SystemSounds::shared().resetForTesting();
    window = std::make_shared<ui::Window>();
    window->makeKeyAndVisible();
    scroll = std::make_shared<ui::ScrollView>(Rect{0, 0, 320, 460});
    scroll->setContentSize({320, 1000});
    scroll->setDelegate(owner.get());
    window->addSubview(scroll);
  }
  void TearDown() override {
    media::SystemSounds::shared().resetForTesting();
    UiFixture::TearDown();
  }

  std::shared_ptr<QRVTableHeaderRefreshView> addHeader() {
    auto header = std::make_shared<QRVTableHeaderRefreshView>(Rect{0, -460, 320, 460});
    header->setDelegate(owner);
    scroll->addSubview(header);
    owner->header = header.get();
    return header;
  }
  std::shared_ptr<QRVTableFooterDragLoadingMoreCell> addFooter() {
    auto footer = QRVTableFooterDragLoadingMoreCell::cellWithXib();
    footer->setDelegate(owner);
    owner->footer = footer.get();
    return footer;
  }
  // A finger pulling the content down by `pull` points (up when negative), held there.
  void pullAndHold(double pull) {
    window->touchBegan({160, 200});
    window->touchMoved({160, 200 + pull / 2});
    window->touchMoved({160, 200 + pull});
  }
  void pullAndRelease(double pull) {
    pullAndHold(pull);
    window->touchEnded({160, 200 + pull});
  }
  std::vector<std::string> played() const { return media::SystemSounds::shared().playedFiles(); }

  std::shared_ptr<Owner> owner = std::make_shared<Owner>();
  std::shared_ptr<ui::Window> window;
  std::shared_ptr<ui::ScrollView> scroll;
};

TEST_F(PullRefreshTest, ANewHeaderStartsBlankAndShowsTheDelegatesDate) {
  auto header = addHeader();
  EXPECT_EQ(header->state(), framework::kQRVPullStatePulling);
  EXPECT_EQ(header->statusLabel().text(), "");
  EXPECT_EQ(header->lastUpdatedLabel().text(), "");
  EXPECT_EQ(header->arrowImageLayer().frame(), (Rect{25, 405, 30, 45}));
  ASSERT_TRUE(header->arrowImageLayer().image());
  pullAndHold(30);  // the first small pull brings the header to its normal state
  EXPECT_EQ(header->state(), framework::kQRVPullStateNormal);
  EXPECT_EQ(header->statusLabel().text(), "下拉可以刷新…");
  EXPECT_EQ(played(), (std::vector<std::string>{"up.wav"}));
  window->touchEnded({160, 230});

  owner->lastUpdated = foundation::Date{1'700'000'000};
  header->refreshLastUpdatedDate();
  EXPECT_EQ(header->lastUpdatedLabel().text(),
            "最后更新: " + framework::date_additions::stringWithFormat(*owner->lastUpdated, "yyyy-MM-dd HH:mm:ss"));
  owner->lastUpdated.reset();
  header->refreshLastUpdatedDate();
  EXPECT_EQ(header->lastUpdatedLabel().text(), "");
}

TEST_F(PullRefreshTest, AReleaseAtSixtyFivePointsRefreshesOnceAndTheInsetHoldsTheHeaderUntilLoaded) {
  auto header = addHeader();
  pullAndHold(66);
  EXPECT_EQ(header->state(), framework::kQRVPullStatePulling);
  EXPECT_EQ(header->statusLabel().text(), "松开即可刷新...");
  window->touchMoved({160, 230});
  EXPECT_EQ(header->state(), framework::kQRVPullStateNormal);
  window->touchMoved({160, 265});  // exactly 65: not pulling yet, but a release there triggers
  EXPECT_EQ(header->state(), framework::kQRVPullStateNormal);
  window->touchEnded({160, 265});

  EXPECT_EQ(owner->refreshes, 1);
  EXPECT_EQ(header->state(), framework::kQRVPullStateLoading);
  EXPECT_EQ(header->statusLabel().text(), "加载中...");
  EXPECT_TRUE(header->activityView().isAnimating());
  EXPECT_TRUE(header->arrowImageLayer().isHidden());
  EXPECT_EQ(scroll->contentInset().top, 60);
  EXPECT_EQ(scroll->contentOffset().y, -60);
  EXPECT_EQ(played(), (std::vector<std::string>{"up.wav", "down.wav", "up.wav", "end.wav"}));
  step(1);
  EXPECT_EQ(media::SystemSounds::shared().soundCount(), 0u);  // each sound let go once heard

  // A second pull during the refresh starts no other one.
  pullAndRelease(100);
  EXPECT_EQ(owner->refreshes, 1);
  EXPECT_EQ(header->state(), framework::kQRVPullStateLoading);

  header->onScrollViewDataSourceDidFinishedLoading(*scroll);
  EXPECT_EQ(header->state(), framework::kQRVPullStateNormal);
  EXPECT_EQ(scroll->contentInset(), ui::EdgeInsets{});
  EXPECT_EQ(scroll->contentOffset().y, 0);
  EXPECT_LT(scroll->presentation().bounds.minY(), 0);
  step(0.3);
  EXPECT_EQ(scroll->presentation().bounds.minY(), 0);
}

TEST_F(PullRefreshTest, NothingChangesWhileTheDelegateReportsLoading) {
  auto header = addHeader();
  auto footer = addFooter();
  owner->loading = true;
  pullAndRelease(120);
  EXPECT_EQ(header->state(), framework::kQRVPullStatePulling) << "still its first state";
  EXPECT_EQ(owner->refreshes, 0);
  EXPECT_TRUE(played().empty());

  scroll->setContentOffset({0, 540});
  pullAndRelease(-60);
  EXPECT_EQ(owner->loadMores, 0);
  EXPECT_NE(footer->state(), framework::kQRVPullStateLoading);
}

TEST_F(PullRefreshTest, AFirstLoadShowsTheHeaderAtOnce) {
  auto header = addHeader();
  header->onFirstLoadingStarted(*scroll);
  EXPECT_EQ(header->state(), framework::kQRVPullStateLoading);
  EXPECT_EQ(scroll->contentInset().top, 60);
  EXPECT_EQ(scroll->contentOffset().y, -60);
  EXPECT_EQ(scroll->presentation().bounds.minY(), -60);
}

TEST_F(PullRefreshTest, TheFooterTriggersOnlyPastTwentyPointsOfOvershoot) {
  auto footer = addFooter();
  ASSERT_TRUE(footer);
  EXPECT_EQ(footer->state(), framework::kQRVPullStateNormal);
  EXPECT_EQ(footer->messageLbl().text(), "上拉加载更多…");

  scroll->setContentOffset({0, 540});  // the content's end at the view's bottom
  pullAndHold(-20);
  EXPECT_EQ(footer->state(), framework::kQRVPullStateNormal);
  window->touchMoved({160, 179});
  EXPECT_EQ(footer->state(), framework::kQRVPullStatePulling);
  EXPECT_EQ(footer->messageLbl().text(), "松开即可加载更多...");
  window->touchEnded({160, 179});
  EXPECT_EQ(owner->loadMores, 1);
  EXPECT_EQ(footer->state(), framework::kQRVPullStateLoading);
  EXPECT_EQ(footer->messageLbl().text(), "加载中...");
  EXPECT_EQ(footer->arrowImageView().alpha(), 0);

  footer->onScrollViewDataSourceDidFinishedLoading(*scroll);
  EXPECT_EQ(footer->state(), framework::kQRVPullStateNormal);
  EXPECT_EQ(footer->arrowImageView().alpha(), 1);
}

TEST_F(PullRefreshTest, TheFooterStaysNormalWithoutALoaderAndIsReadyAtOnceOverShortContent) {
  auto footer = addFooter();
  owner->moreToLoad = false;
  scroll->setContentOffset({0, 540});
  pullAndRelease(-100);
  EXPECT_EQ(footer->state(), framework::kQRVPullStateNormal);

  owner->moreToLoad = true;
  owner->hearsTrigger = false;
  scroll->setContentOffset({0, 540});
  pullAndRelease(-100);
  EXPECT_NE(footer->state(), framework::kQRVPullStateLoading);  // nobody to hear it: no loading
  EXPECT_EQ(owner->loadMores, 0);

  // Over content shorter than the view the visible bottom is already past the content's end.
  scroll->setAlwaysBounceVertical(true);
  scroll->setContentSize({320, 200});
  scroll->setContentOffset({0, 0});
  pullAndHold(-1);
  EXPECT_EQ(footer->state(), framework::kQRVPullStatePulling);
  window->touchEnded({160, 199});
}

TEST_F(PullRefreshTest, TheHeaderInItsThreeStates) {
  auto host = std::make_shared<ui::View>(Rect{0, 0, 320, 195});
  std::vector<std::shared_ptr<QRVTableHeaderRefreshView>> headers;
  for (int i = 0; i < 3; ++i) {
    headers.push_back(std::make_shared<QRVTableHeaderRefreshView>(Rect{0, 65.0 * i, 320, 65}));
    headers.back()->setDelegate(owner);
    host->addSubview(headers.back());
  }
  owner->lastUpdated = foundation::Date{1'700'000'000};
  headers[0]->setState(framework::kQRVPullStateNormal);
  headers[1]->setState(framework::kQRVPullStatePulling);
  headers[2]->setState(framework::kQRVPullStateLoading);
  step(0.2);
  EXPECT_EQ(headers[1]->arrowImageLayer().presentation().transform, ui::AffineTransform::rotation(M_PI));
  ASSERT_TRUE(ui::renderToPNG(*host, renderedPath("pull-refresh-header"), {.scale = 2}).ok());
}

}  // namespace
