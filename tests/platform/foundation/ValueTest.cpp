#include "platform/foundation/Value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace foundation {
namespace {

TEST(ValueTest, BoolsAreNeverNumbers) {
  Value yes(true);
  EXPECT_TRUE(yes.isBool());
  EXPECT_FALSE(yes.isNumber());
  EXPECT_FALSE(Value(1) == Value(true));
}

TEST(ValueTest, IntegerKindsCompareByValue) {
  EXPECT_EQ(Value(5), Value(5u));
  EXPECT_FALSE(Value(-1) == Value(static_cast<unsigned long long>(-1)));
}

TEST(ValueTest, LenientReadings) {
  EXPECT_EQ(Value("42").toInt64(), 42);
  EXPECT_EQ(Value(" 7").toInt64(), 7);
  EXPECT_EQ(Value("abc").toInt64(-3), -3);
  EXPECT_EQ(Value(2.5).toString(), "2.5");
  EXPECT_EQ(Value(3.0).toString(), "3");
  EXPECT_EQ(Value(Array{}).toString("none"), "none");
  EXPECT_EQ(Value(1e30).toInt64(), std::numeric_limits<std::int64_t>::max());
}

TEST(ValueTest, DecimalNumbersReadAsNumbersAndKeepTheirText) {
  Value price(DecimalNumber("-12.50e-1"));
  EXPECT_TRUE(price.isNumber());
  EXPECT_EQ(price.toString(), "-1.250");
  EXPECT_EQ(price.toDouble(), -1.25);
  EXPECT_EQ(price.toInt64(), -1);
  EXPECT_EQ(price, Value(DecimalNumber(125, -2, true)));
  EXPECT_EQ(Value(DecimalNumber("18446744073709551615")).toUInt64(), std::numeric_limits<std::uint64_t>::max());
  EXPECT_EQ(Value(DecimalNumber("1e400")).toInt64(), std::numeric_limits<std::int64_t>::max());
  EXPECT_TRUE(std::isinf(Value(DecimalNumber("1e400")).toDouble()));
  EXPECT_EQ(DecimalNumber("-0e3").text(), "-0.0") << "\"-0\" would read back as the integer 0";
  EXPECT_FALSE(Value(DecimalNumber("0e-40000")).toBool()) << "a zero at any scale is false";
  EXPECT_TRUE(Value(DecimalNumber("1e-40000")).toBool());
  Value notANumber(DecimalNumber("12abc"));
  EXPECT_EQ(notANumber.toString(), "NaN");
  EXPECT_EQ(notANumber.toInt64(-3), -3);
}

TEST(ValueTest, DictionaryKeepsInsertionOrderAndPlaceOnReplace) {
  Dictionary d{{"b", 1}, {"a", 2}};
  d.set("c", 3);
  d.set("b", 4);
  EXPECT_EQ(d.keys(), (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_EQ(d["b"], Value(4));
  EXPECT_TRUE(d["missing"].isNull());
  EXPECT_TRUE(d.erase("a"));
  EXPECT_FALSE(d.erase("a"));
  Dictionary same{{"c", 3}, {"b", 4}};
  EXPECT_EQ(d, same);
}

TEST(ValueTest, NestedLookupThroughNonDictionaryGivesNull) {
  Value v(Dictionary{{"data", Dictionary{{"id", "9"}}}});
  EXPECT_EQ(v["data"]["id"], Value("9"));
  EXPECT_TRUE(v["data"]["id"]["deeper"].isNull());
}

TEST(ValueTest, LargeDictionariesKeepOrderThroughReplaceAndErase) {
  Dictionary d;
  for (int i = 0; i < 40; ++i) d.set("k" + std::to_string(i), i);
  d.set("k3", -3);
  EXPECT_TRUE(d.erase("k0"));
  EXPECT_TRUE(d.erase("k20"));
  EXPECT_FALSE(d.erase("k20"));
  d.set("k0", 100);
  Dictionary copy = d;
  copy.set("k5", -5);
  ASSERT_EQ(d.size(), 39u);
  EXPECT_EQ(d.keys().front(), "k1");
  EXPECT_EQ(d.keys().back(), "k0");
  EXPECT_EQ(d["k3"], Value(-3));
  EXPECT_EQ(d["k21"], Value(21));
  EXPECT_EQ(d["k5"], Value(5));
  EXPECT_EQ(copy["k5"], Value(-5));
  EXPECT_TRUE(d["k20"].isNull());
  for (int i = 0; i < 37; ++i) d.erase("k" + std::to_string(i + 1));
  EXPECT_EQ(d.keys(), (std::vector<std::string>{"k38", "k39", "k0"}));
  EXPECT_EQ(d["k39"], Value(39));
}

TEST(ValueTest, DictionaryIndexFindsEveryKeyThroughGrowthAndReserve) {
  Dictionary grown;
  Dictionary reserved;
  reserved.reserve(300);
  for (int i = 0; i < 300; ++i) {
    grown.set("key" + std::to_string(i), i);
    reserved.set("key" + std::to_string(i), i);
  }
  for (int i = 0; i < 300; ++i) {
    ASSERT_EQ(grown["key" + std::to_string(i)], Value(i)) << i;
    ASSERT_EQ(reserved["key" + std::to_string(i)], Value(i)) << i;
  }
  EXPECT_EQ(grown.find("key300"), nullptr);
  EXPECT_EQ(reserved.find(""), nullptr);
  EXPECT_EQ(grown, reserved);

  Dictionary small;
  small.reserve(50);
  small.set("a", 1);
  small.set("a", 2);
  EXPECT_EQ(small.size(), 1u);
  EXPECT_EQ(small["a"], Value(2));
  EXPECT_TRUE(small.erase("a"));
  EXPECT_FALSE(small.contains("a"));
}

TEST(ValueTest, AnEmptyObjectPointerIsNull) {
  struct Picture : Object {};
  EXPECT_TRUE(Value(std::shared_ptr<Picture>()).isNull());
  auto picture = std::make_shared<Picture>();
  Value held(picture);
  EXPECT_TRUE(held.isObject());
  EXPECT_EQ(held.objectAs<Picture>(), picture);
}

}  // namespace
}  // namespace foundation
