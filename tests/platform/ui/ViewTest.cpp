#include "platform/ui/View.h"

#include <gtest/gtest.h>

#include "platform/ui/Window.h"
#include "tests/platform/ui/UiFixture.h"

namespace {

using ui::Rect;
using ui::View;

class ViewTest : public uitest::UiFixture {};

TEST_F(ViewTest, SubviewsMoveBetweenParentsAndKeepTheirOrder) {
  auto a = std::make_shared<View>(), b = std::make_shared<View>();
  auto x = std::make_shared<View>(), y = std::make_shared<View>(), z = std::make_shared<View>();
  a->addSubview(x);
  a->addSubview(y);
  b->addSubview(x);  // moves
  EXPECT_EQ(a->subviews().size(), 1u);
  EXPECT_EQ(x->superview(), b.get());
  a->insertSubviewBelow(z, *y);
  EXPECT_EQ(a->subviews().front(), z);
  a->bringSubviewToFront(*z);
  EXPECT_EQ(a->subviews().back(), z);
  a->sendSubviewToBack(*z);
  EXPECT_EQ(a->subviews().front(), z);
  a->insertSubviewAbove(z, *y);
  EXPECT_EQ(a->subviews().back(), z);
  z->removeFromSuperview();
  EXPECT_EQ(z->superview(), nullptr);
  EXPECT_EQ(a->subviews().size(), 1u);
}

TEST_F(ViewTest, AViewCannotContainItsOwnAncestor) {
  auto parent = std::make_shared<View>(), child = std::make_shared<View>();
  parent->addSubview(child);
  child->addSubview(parent);
  child->addSubview(child);
  EXPECT_EQ(parent->superview(), nullptr);
  EXPECT_TRUE(child->subviews().empty());
}

TEST_F(ViewTest, TagsAreFoundDepthFirstStartingWithTheViewItself) {
  auto root = std::make_shared<View>(), first = std::make_shared<View>(), inner = std::make_shared<View>(),
       second = std::make_shared<View>();
  root->addSubview(first);
  first->addSubview(inner);
  root->addSubview(second);
  inner->setTag(7);
  second->setTag(7);
  EXPECT_EQ(root->viewWithTag(7), inner.get());
  EXPECT_EQ(root->viewWithTag(0), root.get());
  EXPECT_EQ(root->viewWithTag(99), nullptr);
}

TEST_F(ViewTest, FrameFollowsCentreBoundsAndTransform) {
  View view(Rect{10, 20, 100, 50});
  EXPECT_EQ(view.center(), (ui::Point{60, 45}));
  EXPECT_EQ(view.bounds(), (Rect{0, 0, 100, 50}));
  view.setTransform(ui::AffineTransform::scale(0.5));
  EXPECT_EQ(view.frame(), (Rect{35, 32.5, 50, 25}));
  EXPECT_EQ(view.bounds().size, (ui::Size{100, 50}));
}

TEST_F(ViewTest, FlexibleMarginsKeepAViewCentredWhenTheParentResizes) {
  auto parent = std::make_shared<View>(Rect{0, 0, 320, 480});
  auto box = std::make_shared<View>(Rect{110, 190, 100, 100});
  box->setAutoresizingMask(45);  // flexible left, right, top and bottom margins
  auto stretched = std::make_shared<View>(Rect{0, 0, 320, 44});
  stretched->setAutoresizingMask(ui::kFlexibleWidth);
  parent->addSubview(box);
  parent->addSubview(stretched);
  parent->setFrame({0, 0, 320, 568});
  EXPECT_EQ(box->frame(), (Rect{110, 234, 100, 100}));
  parent->setFrame({0, 0, 400, 568});
  EXPECT_EQ(box->frame(), (Rect{150, 234, 100, 100}));
  EXPECT_EQ(stretched->frame(), (Rect{0, 0, 400, 44}));
}

TEST_F(ViewTest, PointsConvertThroughOffsetsAndScales) {
  auto root = std::make_shared<View>(Rect{0, 0, 320, 568});
  auto panel = std::make_shared<View>(Rect{20, 100, 200, 200});
  auto inner = std::make_shared<View>(Rect{10, 10, 50, 50});
  root->addSubview(panel);
  panel->addSubview(inner);
  EXPECT_EQ(inner->convertPoint({0, 0}, root.get()), (ui::Point{30, 110}));
  panel->setTransform(ui::AffineTransform::scale(2));  // about the panel's centre (120, 200)
  EXPECT_EQ(inner->convertPoint({0, 0}, root.get()), (ui::Point{-60, 20}));
  EXPECT_EQ(root->convertPoint({-60, 20}, inner.get()), (ui::Point{0, 0}));
}

TEST_F(ViewTest, HitTestingSkipsHiddenAndNonInteractiveViews) {
  auto root = std::make_shared<View>(Rect{0, 0, 320, 568});
  auto below = std::make_shared<View>(Rect{0, 0, 100, 100});
  auto above = std::make_shared<View>(Rect{0, 0, 100, 100});
  root->addSubview(below);
  root->addSubview(above);
  EXPECT_EQ(root->hitTest({50, 50}), above.get());
  above->setHidden(true);
  EXPECT_EQ(root->hitTest({50, 50}), below.get());
  below->setUserInteractionEnabled(false);
  EXPECT_EQ(root->hitTest({50, 50}), root.get());
  EXPECT_EQ(root->hitTest({-1, 50}), nullptr);
}

TEST_F(ViewTest, AssociatedObjectsStayUntilCleared) {
  static const char key = 0;
  View view;
  auto object = std::make_shared<int>(5);
  view.setAssociatedObject(&key, object);
  EXPECT_EQ(view.associatedObject(&key), object);
  view.setAssociatedObject(&key, nullptr);
  EXPECT_EQ(view.associatedObject(&key), nullptr);
}

TEST_F(ViewTest, WindowsKnowWhichIsKey) {
  auto first = std::make_shared<ui::Window>(), second = std::make_shared<ui::Window>();
  auto child = std::make_shared<View>();
  first->addSubview(child);
  EXPECT_EQ(child->window(), first.get());
  first->makeKeyAndVisible();
  second->makeKeyAndVisible();
  EXPECT_TRUE(second->isKeyWindow());
  EXPECT_FALSE(first->isKeyWindow());
  second.reset();
  EXPECT_EQ(ui::Application::shared().keyWindow(), nullptr);
  EXPECT_EQ(ui::Application::shared().windows().size(), 1u);
}

TEST_F(ViewTest, TheKeyboardHasAWindowAboveTheOthers) {
  auto window = std::make_shared<ui::Window>();
  window->makeKeyAndVisible();
  EXPECT_EQ(ui::Application::shared().keyboardHostView(), nullptr);
  ui::Application::shared().showKeyboard();
  View* host = ui::Application::shared().keyboardHostView();
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(ui::Application::shared().windows().back(), host->window());
  EXPECT_NE(host->window(), window.get());
  ui::Application::shared().hideKeyboard();
  EXPECT_EQ(ui::Application::shared().keyboardHostView(), nullptr);
  EXPECT_EQ(ui::Application::shared().windows().size(), 1u);
}

}  // namespace
