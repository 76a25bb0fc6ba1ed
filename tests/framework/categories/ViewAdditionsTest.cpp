#include "src/framework/categories/ViewAdditions.h"

#include <gtest/gtest.h>

#include "platform/ui/Label.h"
#include "platform/ui/ScrollView.h"
#include "tests/platform/ui/UiFixture.h"

namespace {

namespace geometry = framework::view_additions;
using ui::Point;
using ui::Rect;
using ui::View;

class ViewAdditionsTest : public uitest::UiFixture {};

TEST_F(ViewAdditionsTest, EdgeSettersMoveTheViewAndKeepItsSize) {
  View view(Rect{10, 20, 30, 40});
  EXPECT_EQ(geometry::right(view), 40);
  EXPECT_EQ(geometry::bottom(view), 60);
  geometry::setRight(view, 100);
  EXPECT_EQ(view.frame(), (Rect{70, 20, 30, 40}));
  geometry::setBottom(view, 100);
  EXPECT_EQ(view.frame(), (Rect{70, 60, 30, 40}));
  geometry::setWidth(view, 50);
  EXPECT_EQ(view.frame(), (Rect{70, 60, 50, 40}));
  geometry::setCenterX(view, 100);
  EXPECT_EQ(view.center(), (Point{100, 80}));
  geometry::setCenterY(view, 50);
  EXPECT_EQ(view.frame(), (Rect{75, 30, 50, 40}));
}

TEST_F(ViewAdditionsTest, OrientationSizesSwapOnlyInLandscape) {
  View view(Rect{0, 0, 320, 480});
  auto& application = ui::Application::shared();
  for (auto orientation : {ui::InterfaceOrientation::portrait, ui::InterfaceOrientation::portraitUpsideDown}) {
    application.setStatusBarOrientation(orientation);
    EXPECT_EQ(geometry::orientationWidth(view), 320);
    EXPECT_EQ(geometry::orientationHeight(view), 480);
  }
  for (auto orientation : {ui::InterfaceOrientation::landscapeRight, ui::InterfaceOrientation::landscapeLeft}) {
    application.setStatusBarOrientation(orientation);
    EXPECT_EQ(geometry::orientationWidth(view), 480);
    EXPECT_EQ(geometry::orientationHeight(view), 320);
  }
}

TEST_F(ViewAdditionsTest, ScreenPositionsSumTheAncestorsLessScrollOffsets) {
  auto root = std::make_shared<View>(Rect{5, 7, 320, 480});
  auto scroll = std::make_shared<ui::ScrollView>(Rect{10, 20, 300, 400});
  scroll->setContentSize({300, 2000});
  auto inner = std::make_shared<View>(Rect{1, 100, 50, 60});
  root->addSubview(scroll);
  scroll->addSubview(inner);
  scroll->setContentOffset({0, 80});

  EXPECT_EQ(geometry::ttScreenX(inner.get()), 16);
  EXPECT_EQ(geometry::ttScreenY(inner.get()), 127);
  EXPECT_EQ(geometry::screenViewX(inner.get()), 16);
  EXPECT_EQ(geometry::screenViewY(inner.get()), 47);
  EXPECT_EQ(geometry::screenViewY(scroll.get()), 27 - 80);  // the scroll view's own offset counts
  EXPECT_EQ(geometry::screenFrame(*inner), (Rect{16, 47, 50, 60}));
  EXPECT_EQ(geometry::ttScreenX(nullptr), 0);

  EXPECT_EQ(geometry::offsetFromView(inner.get(), root.get()), (Point{11, 120}));
  EXPECT_EQ(geometry::offsetFromView(inner.get(), scroll.get()), (Point{1, 100}));
  EXPECT_EQ(geometry::offsetFromView(inner.get(), inner.get()), (Point{0, 0}));
  EXPECT_EQ(geometry::offsetFromView(nullptr, root.get()), (Point{0, 0}));
  EXPECT_EQ(geometry::offsetFromView(inner.get(), nullptr), (Point{16, 127}));
}

TEST_F(ViewAdditionsTest, ClassSearchesGoDepthFirstAndUpwards) {
  auto root = std::make_shared<View>();
  auto branch = std::make_shared<View>();
  auto deepLabel = std::make_shared<ui::Label>();
  auto laterLabel = std::make_shared<ui::Label>();
  root->addSubview(branch);
  branch->addSubview(deepLabel);
  root->addSubview(laterLabel);

  EXPECT_EQ(geometry::descendantOrSelfWithClass<ui::Label>(*root), deepLabel.get());
  EXPECT_EQ(geometry::descendantOrSelfWithClass<ui::Label>(*laterLabel), laterLabel.get());
  EXPECT_EQ(geometry::descendantOrSelfWithClass<ui::ScrollView>(*root), nullptr);
  EXPECT_EQ(geometry::ancestorOrSelfWithClass<ui::Label>(*deepLabel), deepLabel.get());
  EXPECT_EQ(geometry::ancestorOrSelfWithClass<ui::ScrollView>(*deepLabel), nullptr);
  EXPECT_EQ(geometry::ancestorOrSelfWithClass<View>(*deepLabel), deepLabel.get());

  std::weak_ptr<View> gone = branch;
  branch.reset();
  geometry::removeAllSubviews(*root);
  EXPECT_TRUE(root->subviews().empty());
  EXPECT_TRUE(gone.expired());
  EXPECT_EQ(laterLabel->superview(), nullptr);
}

}  // namespace
