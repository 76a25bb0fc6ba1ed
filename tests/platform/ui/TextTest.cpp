#include <gtest/gtest.h>

#include <string>

#include "platform/ui/Font.h"
#include "platform/ui/Label.h"

namespace {

using ui::Font;
using ui::kNoLimit;
using ui::sizeOfText;

const Font kFont = Font::systemFont(16);

TEST(TextTest, EmptyTextNeedsNoRoom) { EXPECT_EQ(sizeOfText("", kFont), (ui::Size{0, 0})); }

TEST(TextTest, OneLineIsAsTallAsTheFontsLine) {
  ui::Size size = sizeOfText("Hello", kFont);
  EXPECT_GT(size.width, 30);
  EXPECT_LT(size.width, 60);
  EXPECT_EQ(size.height, std::ceil(kFont.lineHeight() - 1e-6));
  EXPECT_GT(sizeOfText("Hello", Font::boldSystemFont(16)).width, size.width);
  EXPECT_GT(sizeOfText("Hello", Font::systemFont(32)).height, 1.8 * size.height);
}

TEST(TextTest, ChineseTextIsSetInTheChineseFont) {
  // WenQuanYi Micro Hei draws each ideograph one em wide.
  ui::Size size = sizeOfText("收藏成功", kFont);
  EXPECT_NEAR(size.width, 64, 1);
}

TEST(TextTest, WordsWrapWithinTheWidth) {
  std::string text = "the quick brown fox jumps over the lazy dog again and again";
  ui::Size oneLine = sizeOfText(text, kFont);
  ui::Size wrapped = sizeOfText(text, kFont, {150, kNoLimit});
  EXPECT_LE(wrapped.width, 150);
  EXPECT_GE(wrapped.height, 3 * oneLine.height - 3);
  // Whole words move to the next line: the widest line is a little short of the width.
  EXPECT_LT(sizeOfText("aaaa bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb", kFont, {150, kNoLimit}).width, 150);
}

TEST(TextTest, AWordWiderThanTheLineIsBrokenInside) {
  ui::Size size = sizeOfText(std::string(60, 'w'), kFont, {100, kNoLimit});
  EXPECT_LE(size.width, 100);
  EXPECT_GT(size.height, 2 * kFont.lineHeight());
}

TEST(TextTest, OnlyWholeLinesThatFitTheHeightAreKept) {
  std::string text(400, 'x');
  double line = sizeOfText("x", kFont).height;
  ui::Size cut = sizeOfText(text, kFont, {100, 3.5 * line});
  EXPECT_LE(cut.height, 3.5 * line);
  EXPECT_GE(cut.height, 3 * line - 1);
}

TEST(TextTest, InvalidTextIsMeasuredWithoutHarm) {
  ui::Size size = sizeOfText(std::string("ok\xff\xfe", 4), kFont);
  EXPECT_GT(size.width, 0);
}

TEST(TextTest, LabelsFitTheirText) {
  ui::Label label;
  label.setFont(kFont);
  label.setText("收藏成功");
  label.sizeToFit();
  EXPECT_EQ(label.bounds().size, sizeOfText("收藏成功", kFont));
  label.setNumberOfLines(0);
  label.setText("one two three four five six seven");
  EXPECT_LE(label.sizeThatFits({80, 0}).width, 80);
}

}  // namespace
