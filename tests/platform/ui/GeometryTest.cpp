#include "platform/ui/Geometry.h"

#include <gtest/gtest.h>

#include <numbers>

#include "platform/ui/View.h"

namespace {

using ui::AffineTransform;
using ui::Rect;

TEST(GeometryTest, RectsIntersectAndJoin) {
  Rect a{0, 0, 100, 50}, b{50, 25, 100, 100};
  EXPECT_EQ(a.intersection(b), (Rect{50, 25, 50, 25}));
  EXPECT_EQ(a.unionWith(b), (Rect{0, 0, 150, 125}));
  EXPECT_FALSE(a.intersects(Rect{100, 0, 10, 10}));  // touching edges do not overlap
  EXPECT_EQ(a.intersection(Rect{200, 200, 1, 1}), Rect{});
  EXPECT_TRUE(a.contains({0, 0}));
  EXPECT_FALSE(a.contains({100, 10}));
}

TEST(GeometryTest, TransformsConcatenateAndInvert) {
  AffineTransform scaleThenMove = AffineTransform::scale(2).concat(AffineTransform::translation(10, 0));
  ui::Point p = scaleThenMove.apply(ui::Point{1, 1});
  EXPECT_DOUBLE_EQ(p.x, 12);
  EXPECT_DOUBLE_EQ(p.y, 2);
  ui::Point back = scaleThenMove.inverted().apply(p);
  EXPECT_NEAR(back.x, 1, 1e-12);
  EXPECT_NEAR(back.y, 1, 1e-12);
  ui::Point turned = AffineTransform::rotation(std::numbers::pi / 2).apply(ui::Point{1, 0});
  EXPECT_NEAR(turned.x, 0, 1e-12);
  EXPECT_NEAR(turned.y, 1, 1e-12);  // clockwise on a screen whose y grows downwards
  EXPECT_EQ(AffineTransform::scale(0).inverted(), AffineTransform::identity());
}

TEST(GeometryTest, ContentIsPlacedByMode) {
  Rect box{0, 0, 100, 50};
  ui::Size square{20, 20};
  EXPECT_EQ(ui::placeContent(ui::ContentMode::ScaleAspectFit, square, box), (Rect{25, 0, 50, 50}));
  EXPECT_EQ(ui::placeContent(ui::ContentMode::ScaleAspectFill, square, box), (Rect{0, -25, 100, 100}));
  EXPECT_EQ(ui::placeContent(ui::ContentMode::Center, square, box), (Rect{40, 15, 20, 20}));
  EXPECT_EQ(ui::placeContent(ui::ContentMode::BottomRight, square, box), (Rect{80, 30, 20, 20}));
  EXPECT_EQ(ui::placeContent(ui::ContentMode::ScaleToFill, square, box), box);
}

}  // namespace
