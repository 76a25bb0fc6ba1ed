#include "platform/foundation/Value.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace foundation
