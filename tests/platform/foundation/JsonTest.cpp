#include "platform/foundation/Json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace foundation {
namespace {

Value parsed(std::string_view text) {
  auto result = Json::parse(text);
  EXPECT_TRUE(result.ok()) << text << ": " << (result.ok() ? "" : result.error()->debugText());
  return result.ok() ? *result : Value();
}

ErrorPtr parseError(std::string_view text) {
  auto result = Json::parse(text);
  EXPECT_FALSE(result.ok()) << text << " was accepted";
  if (result.ok()) return nullptr;
  EXPECT_EQ(result.error()->domain(), kJSONErrorDomain);
  return result.error();
}

std::string written(const Value& value) {
  auto result = Json::serialize(value);
  EXPECT_TRUE(result.ok()) << (result.ok() ? "" : result.error()->debugText());
  return result.ok() ? *result : "";
}

std::string nested(std::size_t levels, const std::string& inner = "") {
  return std::string(levels, '[') + inner + std::string(levels, ']');
}

TEST(JsonTest, FragmentsAndNumberKinds) {
  EXPECT_EQ(parsed("12").kind(), Value::Kind::Int);
  EXPECT_EQ(parsed(" \"text\" "), Value("text"));
  EXPECT_EQ(parsed("true").kind(), Value::Kind::Bool);
  EXPECT_FALSE(parsed("false").isNumber());
  EXPECT_TRUE(parsed("null").isNull());
  EXPECT_EQ(parsed("1.5").kind(), Value::Kind::Double);
  EXPECT_EQ(parsed("1e2").kind(), Value::Kind::Double);
  EXPECT_EQ(parsed("-9223372036854775808"), Value(std::numeric_limits<std::int64_t>::min()));
  Value aboveSigned = parsed("9223372036854775808");
  EXPECT_EQ(aboveSigned.kind(), Value::Kind::UInt);
  EXPECT_EQ(aboveSigned.toUInt64(), 9223372036854775808ull);
  EXPECT_EQ(parsed("18446744073709551615").toUInt64(), std::numeric_limits<std::uint64_t>::max());
  EXPECT_EQ(parsed("18446744073709551616").kind(), Value::Kind::Double);
  Value list = parsed("[1, true, 1.0, \"1\"]");
  EXPECT_EQ(list.getArray()->at(0).kind(), Value::Kind::Int);
  EXPECT_EQ(list.getArray()->at(1).kind(), Value::Kind::Bool);
  EXPECT_EQ(list.getArray()->at(2).kind(), Value::Kind::Double);
  EXPECT_EQ(list.getArray()->at(3).kind(), Value::Kind::String);
}

TEST(JsonTest, ObjectsKeepTextOrderAndARepeatedKeyKeepsItsFirstPlace) {
  Value object = parsed(R"({"zeta": 1, "alpha": {"y": null, "x": []}, "mid": 2, "zeta": 3})");
  EXPECT_EQ(object.getDictionary()->keys(), (std::vector<std::string>{"zeta", "alpha", "mid"}));
  EXPECT_EQ(object["zeta"], Value(3));
  EXPECT_EQ(object["alpha"].getDictionary()->keys(), (std::vector<std::string>{"y", "x"}));
  EXPECT_TRUE(object["alpha"].getDictionary()->contains("y"));
  EXPECT_EQ(written(object), R"({"zeta":3,"alpha":{"y":null,"x":[]},"mid":2})");
}

TEST(JsonTest, LargeObjectsStayCorrectPastTheLookupIndex) {
  std::string text = "{";
  for (int i = 0; i < 2000; ++i) text += "\"k" + std::to_string(i) + "\":" + std::to_string(i) + ",";
  text += "\"k7\":-1}";
  Value object = parsed(text);
  ASSERT_EQ(object.getDictionary()->size(), 2000u);
  EXPECT_EQ(object.getDictionary()->begin()->first, "k0");
  EXPECT_EQ(object["k7"], Value(-1));
  EXPECT_EQ(object["k1999"], Value(1999));
}

TEST(JsonTest, NestedContainersGetExactlyTheirOwnMembers) {
  Value value = parsed(R"([[1,[2,3]],{"a":[4,{"b":{}}],"c":"d"},[],{},"e"])");
  ASSERT_EQ(value.getArray()->size(), 5u);
  EXPECT_EQ(value,
            Value(Array{Array{1, Array{2, 3}}, Dictionary{{"a", Array{4, Dictionary{{"b", Dictionary{}}}}}, {"c", "d"}},
                        Array{}, Dictionary{}, "e"}));
  EXPECT_EQ(written(value), R"([[1,[2,3]],{"a":[4,{"b":{}}],"c":"d"},[],{},"e"])");
}

TEST(JsonTest, RepeatedKeyInALargeObjectKeepsItsFirstPlaceAndLastValue) {
  std::string text = "{\"dup\":\"first\"";
  for (int i = 0; i < 20; ++i) text += ",\"k" + std::to_string(i) + "\":" + std::to_string(i);
  text += ",\"dup\":\"last\"}";
  Value object = parsed(text);
  ASSERT_EQ(object.getDictionary()->size(), 21u);
  EXPECT_EQ(object.getDictionary()->begin()->first, "dup");
  EXPECT_EQ(object["dup"], Value("last"));
  EXPECT_EQ(object["k19"], Value(19));
}

TEST(JsonTest, UnicodeIsDecodedAndInvalidTextRefused) {
  EXPECT_EQ(parsed(R"("\u4e2d\u6587")"), Value("中文"));
  EXPECT_EQ(parsed(R"("\ud83c\udfb5")"), Value("\xF0\x9F\x8E\xB5"));
  EXPECT_EQ(parsed("\"当前无网络，请稍后再试！\""), Value("当前无网络，请稍后再试！"));
  EXPECT_EQ(parsed(R"({"\u00e9": "\"\\\/\b\f\n\r\t"})")["é"], Value("\"\\/\b\f\n\r\t"));
  EXPECT_EQ(parseError("\"\xff\"")->code(), kJSONMalformedError);
  EXPECT_EQ(parseError("\"\xC0\xAF\"")->code(), kJSONMalformedError);  // overlong slash
  EXPECT_EQ(parseError(R"("\ud800")")->code(), kJSONMalformedError);   // lone surrogate
  EXPECT_EQ(parseError("{\"\xE4\xB8\": 1}")->code(), kJSONMalformedError);
}

TEST(JsonTest, MalformedTextGivesAnErrorThatSaysWhere) {
  ErrorPtr error = parseError("{\n  \"a\": [1, 2,,]\n}");
  EXPECT_EQ(error->code(), kJSONMalformedError);
  EXPECT_NE(error->description().find("line 2, column 14"), std::string::npos) << error->description();
  for (const char* text : {"", "   ", "{\"a\":", "[1, 2", "\"open", "1 2", "{'a': 1}", "[1,]", "nul", "01", "{\"a\" 1}",
                           "// comment\n1", "NaN", "\x01"}) {
    ErrorPtr bad = parseError(text);
    if (bad) {
      EXPECT_EQ(bad->code(), kJSONMalformedError) << text;
    }
  }
}

TEST(JsonTest, NumbersTooLargeForADoubleAreRefused) {
  EXPECT_EQ(parseError("1e400")->code(), kJSONNumberRangeError);
  EXPECT_EQ(parseError("[0, -1e999]")->code(), kJSONNumberRangeError);
  EXPECT_EQ(parsed("1e-400"), Value(0.0));
}

TEST(JsonTest, ZeroIsZeroWhateverItsExponent) {
  for (const char* text : {"[0e400]", "[0.000e400]", "[0.0e309]", "[-0e999]", "[-0.0e309]"}) {
    const Value value = parsed(text);
    ASSERT_TRUE(value.getArray()) << text;
    const Value& zero = value.getArray()->at(0);
    EXPECT_EQ(zero, Value(0.0)) << text;
    EXPECT_EQ(std::signbit(zero.toDouble()), text[1] == '-') << text;
  }
}

TEST(JsonTest, NestingIsLimited) {
  EXPECT_TRUE(Json::parse(nested(Json::kMaxDepth, "1")).ok());
  EXPECT_EQ(parseError(nested(Json::kMaxDepth + 1, "1"))->code(), kJSONTooDeepError);
  EXPECT_EQ(parseError(std::string(100000, '['))->code(), kJSONTooDeepError);

  Value deep = 1;
  for (std::size_t i = 0; i < Json::kMaxDepth + 1; ++i) deep = Array{deep};
  auto result = Json::serialize(deep);
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error()->code(), kJSONUnwritableError);
}

TEST(JsonTest, WritingIsCompactAndEscapesText) {
  Dictionary d;
  d.set("name", "a\"b\\c/d\n\x01");
  d.set("中", "文");
  d.set("list", Array{1, -2, 2.5, true, nullptr, Value(std::numeric_limits<std::uint64_t>::max())});
  d.set("empty", Dictionary{});
  EXPECT_EQ(written(d),
            "{\"name\":\"a\\\"b\\\\c/d\\n\\u0001\",\"中\":\"文\","
            "\"list\":[1,-2,2.5,true,null,18446744073709551615],\"empty\":{}}");
  EXPECT_EQ(written("bare"), "\"bare\"");
  EXPECT_EQ(written(Value()), "null");
}

TEST(JsonTest, DoublesRoundTripExactly) {
  for (double d : {0.1, -2.5e-300, 1.7976931348623157e308, 4.9e-324, 123456.789, 1e21, 3.0}) {
    Value back = parsed(written(d));
    EXPECT_EQ(back.toDouble(), d) << written(d);
  }
  EXPECT_EQ(written(3.0), "3");
  EXPECT_EQ(written(DecimalNumber("0.10")), "0.10");
  EXPECT_TRUE(std::signbit(parsed(written(-0.0)).toDouble()));
}

TEST(JsonTest, RoundTripKeepsStructure) {
  std::string text =
      R"({"err":"hapn.ok","data":{"list":[{"id":12,"name":"频道","pic":null,"hot":false}],"total":-3,"rate":0.25},"big":18446744073709551615})";
  Value value = parsed(text);
  EXPECT_EQ(written(value), text);
  EXPECT_EQ(parsed(written(value)), value);
}

TEST(JsonTest, WritingRefusesWhatJsonCannotHoldAndSaysWhere) {
  struct Picture : Object {};
  struct Case {
    Value value;
    std::string where;
  };
  std::vector<Case> cases;
  cases.push_back({Dictionary{{"a", Array{1, std::nan("")}}}, "$.a[1]"});
  cases.push_back({Array{HUGE_VAL}, "$[0]"});
  cases.push_back({Array{1, DecimalNumber("1O")}, "$[1]"});
  cases.push_back({Dictionary{{"raw", Bytes{1, 2}}}, "$.raw"});
  cases.push_back({Dictionary{{"when", Date{0}}}, "$.when"});
  cases.push_back({Array{Value(std::make_shared<Picture>())}, "$[0]"});
  cases.push_back({Array{"ok", "\xff"}, "$[1]"});
  cases.push_back({Dictionary{{"\xc3", 1}}, "$ has a key"});
  for (const auto& c : cases) {
    auto result = Json::serialize(c.value);
    ASSERT_FALSE(result.ok()) << c.where;
    EXPECT_EQ(result.error()->code(), kJSONUnwritableError);
    EXPECT_NE(result.error()->description().find(c.where), std::string::npos) << result.error()->description();
  }
}

}  // namespace
}  // namespace foundation
