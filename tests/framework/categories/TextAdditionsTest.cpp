#include <gtest/gtest.h>

#include <cmath>

#include "src/framework/categories/ArrayAdditions.h"
#include "src/framework/categories/FontAdditions.h"
#include "src/framework/categories/StringAdditions.h"

namespace {

namespace strings = framework::string_additions;
namespace arrays = framework::array_additions;
using foundation::Value;

bool isLowerHex(const std::string& text) { return text.find_first_not_of("0123456789abcdef") == std::string::npos; }

TEST(StringAdditionsTest, Md5IsThirtyTwoLowerCaseHexDigits) {
  EXPECT_EQ(strings::md5(""), "d41d8cd98f00b204e9800998ecf8427e");
  for (const char* text : {"", "a", "ABC", "中文节目", "http://pic.example.com/a.jpg!large2"}) {
    std::string digest = strings::md5(text);
    EXPECT_EQ(digest.size(), 32u) << text;
    EXPECT_TRUE(isLowerHex(digest)) << text;
  }
  EXPECT_NE(strings::md5("x!small0"), strings::md5("x!large2"));
}

TEST(StringAdditionsTest, FormatTimeWritesZeroPaddedHoursMinutesSeconds) {
  EXPECT_EQ(strings::formatTime(Value(3725)), "01:02:05");
  EXPECT_EQ(strings::formatTime(Value(59)), "00:00:59");
  EXPECT_EQ(strings::formatTime(Value(36000)), "10:00:00");
  EXPECT_EQ(strings::formatTime(Value(59.9)), "00:00:59");
  EXPECT_EQ(strings::formatTime(Value(360000)), "100:00:00");  // hours are not held to two digits
  EXPECT_EQ(strings::formatTime(Value("3725")), "01:02:05");
  // Nothing sensible to show for these: zero rather than "0-5".
  EXPECT_EQ(strings::formatTime(Value(-5)), "00:00:00");
  EXPECT_EQ(strings::formatTime(Value(std::nan(""))), "00:00:00");
  EXPECT_EQ(strings::formatTime(Value()), "00:00:00");
}

TEST(StringAdditionsTest, LineCountsAndHeightsFollowTheLayout) {
  ui::Font font = ui::Font::systemFont(28);
  EXPECT_DOUBLE_EQ(framework::font_additions::qrvLineHeight(font), font.lineHeight() + 1.0);
  EXPECT_EQ(strings::numberOfLinesWithFont("短", font, 255), 1);
  EXPECT_EQ(strings::numberOfLinesWithFont("", font, 255), 0);

  // Thirty 28-point characters need four lines of 255 points, even though four lines are less
  // than four "line heights plus one point" tall.
  std::string longText;
  for (int i = 0; i < 30; ++i) longText += "短";
  double height = strings::heightWithFont(longText, font, 255);
  EXPECT_GE(height, 4 * font.lineHeight());
  EXPECT_LT(height, 5 * font.lineHeight());
  EXPECT_EQ(strings::numberOfLinesWithFont(longText, font, 255), 4);
  EXPECT_GT(strings::numberOfLinesWithFont(longText, font, 100), strings::numberOfLinesWithFont(longText, font, 255));
}

TEST(ArrayAdditionsTest, OnlyStringElementsMatch) {
  foundation::Array array{Value(12), Value("12"), Value(), Value("a"), Value("12")};
  EXPECT_EQ(arrays::indexOfString(array, "12"), 1u);
  EXPECT_EQ(arrays::indexOfString(array, "a"), 3u);
  EXPECT_EQ(arrays::indexOfString(array, "b"), arrays::kNotFound);
  EXPECT_EQ(arrays::indexOfString({Value(7)}, "7"), arrays::kNotFound);
  EXPECT_EQ(arrays::indexOfString({}, ""), arrays::kNotFound);
  EXPECT_TRUE(arrays::contentString(array, "a"));
  EXPECT_FALSE(arrays::contentString(array, "A"));
}

}  // namespace
