#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "platform/foundation/Json.h"
#include "src/framework/json/QRVJSONDataSerializer.h"
#include "src/framework/json/QRVJSONSerializer.h"
#include "src/framework/json/QRVSerializedJSONData.h"

namespace framework {
namespace {

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

std::string written(const Value& value) {
  auto text = QRVJSONSerializer::serializer().serializeObject(value);
  EXPECT_TRUE(text.ok()) << (text.ok() ? "" : text.error()->debugText());
  return text.ok() ? *text : "";
}

TEST(QRVJSONSerializerTest, WritesBatchCallParametersCompactlyInKeyOrder) {
  Array methods{Dictionary{{"name", "radio.listAllChannels"}, {"args", Dictionary{}}}};
  auto text = QRVJSONSerializer::serializer().serializeArray(methods);
  ASSERT_TRUE(text.ok());
  EXPECT_EQ(*text, R"([{"name":"radio.listAllChannels","args":{}}])");

  Dictionary reversed{{"z", 1}, {"a", Array{1, "x", Value()}}};
  EXPECT_EQ(written(reversed), R"({"z":1,"a":[1,"x",null]})");
  EXPECT_EQ(written(Array{}), "[]");
  EXPECT_EQ(written(Dictionary{}), "{}");
}

TEST(QRVJSONSerializerTest, TellsBooleansFromNumbers) {
  EXPECT_EQ(written(Array{true, 1, false, 0}), "[true,1,false,0]");
  EXPECT_EQ(written(Value(-42)), "-42");
  EXPECT_EQ(written(Value(std::numeric_limits<std::uint64_t>::max())), "18446744073709551615");
  EXPECT_EQ(written(Value(1.5)), "1.5");
  EXPECT_EQ(written(Value(3.0)), "3");
  EXPECT_EQ(written(Value(4.5e26)), "4.5e26");
  EXPECT_EQ(written(Value(-1.25e-7)), "-1.25e-07");
}

TEST(QRVJSONSerializerTest, EscapesQuotesSlashesAndEveryControlCharacter) {
  EXPECT_EQ(written("http://a/b"), R"("http:\/\/a\/b")");
  EXPECT_EQ(written("say \"hi\"\\"), R"("say \"hi\"\\")");
  EXPECT_EQ(written("a\nb\tc\rd\be\ff"), R"("a\nb\tc\rd\be\ff")");
  EXPECT_EQ(written(std::string("\x01\x1f", 2) + std::string(1, '\0')), R"("\u0001\u001f\u0000")");
  EXPECT_EQ(written("电台 ♫"), "\"电台 ♫\"");
}

TEST(QRVJSONSerializerTest, RefusesWhatJsonCannotHold) {
  auto serializer = QRVJSONDataSerializer::serializer();
  for (double bad : {std::nan(""), std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()}) {
    auto result = serializer.serializeObject(Array{1, bad});
    ASSERT_FALSE(result.ok());
    EXPECT_TRUE(result.error()->is(kQRVJSONSerializerErrorDomain,
                                   static_cast<long long>(QRVJSONSerializerErrorCode::nonFiniteNumber)));
  }
  auto date = serializer.serializeObject(Dictionary{{"when", foundation::Date{5}}});
  ASSERT_FALSE(date.ok());
  EXPECT_EQ(date.error()->description(), "Cannot serialize data of type 'Date'");

  auto object = serializer.serializeObject(Value(std::make_shared<foundation::Object>()));
  ASSERT_FALSE(object.ok());
  EXPECT_EQ(object.error()->description(), "Cannot serialize data of type 'foundation::Object'");

  auto notText = serializer.serializeString("\xC3\x28");
  ASSERT_FALSE(notText.ok());
  EXPECT_EQ(notText.error()->code(), static_cast<long long>(QRVJSONSerializerErrorCode::invalidText));
  EXPECT_FALSE(serializer.serializeNumber("12").ok());
}

TEST(QRVJSONSerializerTest, WritesDataAsTextAndReadyJsonUnchanged) {
  foundation::Bytes bytes{'a', '/', 'b'};
  auto ready = std::make_shared<QRVSerializedJSONData>(foundation::Bytes{'{', '"', 'k', '"', ':', '7', '}'});
  EXPECT_EQ(written(Array{bytes, ready}), R"(["a\/b",{"k":7}])");
  EXPECT_EQ(QRVJSONDataSerializer::serializer().serializeNull(), (foundation::Bytes{'n', 'u', 'l', 'l'}));
}

// Random text (any code point, controls and JSON's own metacharacters weighted up) written by
// our writer must read back unchanged through the platform's parser.
TEST(QRVJSONSerializerTest, RandomTextReadsBackUnchanged) {
  std::mt19937 random(20240611);
  const std::u32string specials = U"\"\\/\b\f\n\r\t\x01\x1f\x7f\u2028\u00e9\u4e2d\U0001F3B5";
  auto randomCodePoint = [&]() -> char32_t {
    switch (random() % 4) {
      case 0:
        return specials[random() % specials.size()];
      case 1:
        return static_cast<char32_t>(random() % 0x80);
      case 2:
        return static_cast<char32_t>(random() % 0x20);
      default: {
        char32_t c = static_cast<char32_t>(random() % 0x110000);
        return c >= 0xD800 && c <= 0xDFFF ? U'x' : c;
      }
    }
  };
  auto toUtf8 = [](char32_t c) {
    std::string out;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
  };
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 24);
    for (int i = 0; i < length; ++i) text += toUtf8(randomCodePoint());
    Array original{Dictionary{{text, text}, {"n", static_cast<std::int64_t>(random()) - 1000000}}};
    auto json = QRVJSONSerializer::serializer().serializeArray(original);
    ASSERT_TRUE(json.ok());
    auto parsed = foundation::Json::parse(*json);
    ASSERT_TRUE(parsed.ok()) << *json << ": " << parsed.error()->debugText();
    ASSERT_EQ(*parsed, Value(original)) << *json;
  }
}

}  // namespace
}  // namespace framework
