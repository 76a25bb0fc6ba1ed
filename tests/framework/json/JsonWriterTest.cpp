#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "src/framework/json/JsonParser.h"
#include "src/framework/json/JsonStreamWriter.h"
#include "src/framework/json/JsonWriter.h"

namespace framework {
namespace {

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

std::string writeErrorFor(const Value& value, std::uint64_t maxDepth = 32) {
  JsonWriter writer;
  writer.setMaxDepth(maxDepth);
  EXPECT_FALSE(writer.stringWithObject(value));
  return writer.error();
}

TEST(JsonWriterTest, WritesSortedAndHumanReadableForms) {
  Dictionary dictionary{{"b", Array{1, -2, 0.5, true, Value()}},
                        {"a", Dictionary{{"z", "\"\\/\b\t\n\f\r\x01午"}, {"y", Dictionary{}}}},
                        {"c", foundation::DecimalNumber("12345678901234567890")}};
  JsonWriter writer;
  EXPECT_EQ(writer.stringWithObject(dictionary),
            R"({"b":[1,-2,0.5,true,null],"a":{"z":"\"\\/\b\t\n\f\r\u0001午","y":{}},"c":12345678901234567890})");
  writer.setSortKeys(true);
  writer.setHumanReadable(true);
  EXPECT_EQ(writer.stringWithObject(dictionary), R"({
  "a": {
    "y": {
    },
    "z": "\"\\/\b\t\n\f\r\u0001午"
  },
  "b": [
    1,
    -2,
    0.5,
    true,
    null
  ],
  "c": 12345678901234567890
})");
}

TEST(JsonWriterTest, RefusesWhatIsNotJson) {
  EXPECT_EQ(writeErrorFor(Value("text")), "Not valid type for JSON");
  EXPECT_EQ(writeErrorFor(Array{std::nan("")}), "NaN is not a valid number in JSON");
  EXPECT_EQ(writeErrorFor(Array{std::numeric_limits<double>::infinity()}), "+Infinity is not a valid number in JSON");
  EXPECT_EQ(writeErrorFor(Array{-std::numeric_limits<double>::infinity()}), "-Infinity is not a valid number in JSON");
  EXPECT_EQ(writeErrorFor(Array{foundation::DecimalNumber("12abc")}), "NaN is not a valid number in JSON");
  EXPECT_EQ(writeErrorFor(Array{"ok", std::string("\xC3\x28")}), "String is not valid UTF-8");
  EXPECT_EQ(writeErrorFor(Array{foundation::Bytes{1}}), "JSON serialisation not supported for bytes");

  Value deep = Array{};
  for (int level = 1; level < 32; ++level) deep = Array{deep};
  EXPECT_TRUE(JsonWriter().stringWithObject(deep));  // 32 levels
  Value deeper = Array{deep};
  EXPECT_EQ(writeErrorFor(deeper), "Nested too deep");
  JsonWriter unlimited;  // 0 sets no limit
  unlimited.setMaxDepth(0);
  EXPECT_TRUE(unlimited.stringWithObject(deeper));

  auto result = JsonWriter().stringWithObjectOrError(Value(1));
  ASSERT_FALSE(result.ok());
  EXPECT_TRUE(result.error()->is(kJsonWriterErrorDomain, 0));
}

TEST(JsonWriterTest, StreamWriterChecksTheOrderOfPieces) {
  JsonStreamWriterAccumulator accumulator;
  JsonStreamWriter writer;
  writer.setDelegate(&accumulator);
  ASSERT_TRUE(writer.writeObjectOpen());
  EXPECT_FALSE(writer.writeNumber(1));
  EXPECT_EQ(writer.error(), "JSON object key must be string");
  EXPECT_FALSE(writer.writeString("k"));  // the first failure stands

  JsonStreamWriter dangling;  // a key without its value would close into broken text
  dangling.setDelegate(&accumulator);
  ASSERT_TRUE(dangling.writeObjectOpen() && dangling.writeString("k"));
  EXPECT_FALSE(dangling.writeObjectClose());

  accumulator.data().clear();
  JsonStreamWriter closed;
  closed.setDelegate(&accumulator);
  ASSERT_TRUE(closed.writeArrayOpen() && closed.writeArrayClose());
  EXPECT_FALSE(closed.writeArrayOpen());
  EXPECT_EQ(closed.error(), "Stream is closed");
  EXPECT_EQ(accumulator.data(), "[]");
}

Value randomValue(std::mt19937& random, int depth) {
  switch (std::uniform_int_distribution<int>(0, depth > 3 ? 5 : 7)(random)) {
    case 0:
      return Value();
    case 1:
      return random() % 2 == 0;
    case 2:
      return -static_cast<std::int64_t>(random() % 1000000000) - 1;
    case 3:
      return static_cast<std::uint64_t>(random()) << 20;
    case 4: {  // with a fraction, so that it reads back as a decimal number rather than an integer
      const std::uint64_t mantissa = ((std::uint64_t{random()} << 32) | random()) % 1000000000000000000ULL;
      return foundation::DecimalNumber(mantissa, -1 - static_cast<int>(random() % 30), random() % 2 == 0);
    }
    case 5: {
      static const std::string pieces[] = {"a",    "午", "\U0001F600", "\"", "\\", "\n", std::string(1, '\0'),
                                           "\x1f", "/"};
      std::string text;
      for (int count = random() % 6; count > 0; --count) text += pieces[random() % std::size(pieces)];
      return text;
    }
    case 6: {
      Array array;
      for (int count = random() % 4; count > 0; --count) array.push_back(randomValue(random, depth + 1));
      return array;
    }
    default: {
      Dictionary dictionary;
      for (int count = random() % 4; count > 0; --count)
        dictionary.set("k" + std::to_string(random() % 10), randomValue(random, depth + 1));
      return dictionary;
    }
  }
}

TEST(JsonWriterTest, RandomValuesSurviveARoundTrip) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 300; ++round) {
    Value value = Array{randomValue(random, 0)};
    for (bool readable : {false, true}) {
      JsonWriter writer;
      writer.setHumanReadable(readable);
      auto text = writer.stringWithObject(value);
      ASSERT_TRUE(text) << writer.error();
      JsonParser parser;
      auto back = parser.objectWithString(*text);
      ASSERT_TRUE(back) << parser.error() << "\n" << *text;
      ASSERT_EQ(*back, value) << *text;
    }
  }
}

TEST(JsonWriterTest, DecimalNumbersAreWrittenBackAsTheirOwnText) {
  const std::string text = "[0.1,1e400,1234567890123456789012345,-0.0250]";
  JsonParser parser;
  auto value = parser.objectWithString(text);
  ASSERT_TRUE(value) << parser.error();
  EXPECT_EQ(JsonWriter().stringWithObject(*value), text);
  EXPECT_EQ(value->getArray()->at(0).toDouble(), 0.1);  // callers that want a double get one
}

TEST(JsonWriterTest, DecimalsBeyondTheReadersExponentRangeReadBackAsThemselves) {
  JsonParser parser;
  JsonWriter writer;
  for (const char* text : {"[0.1e-32767]", "[1.5e-32767]", "[0.00001e-32767]", "[-0.1234567890123456789e-32767]"}) {
    auto value = parser.objectWithString(text);
    ASSERT_TRUE(value) << parser.error();
    auto written = writer.stringWithObject(*value);
    ASSERT_TRUE(written) << writer.error();
    auto back = parser.objectWithString(*written);
    ASSERT_TRUE(back) << *written << ": " << parser.error();
    EXPECT_EQ(*back, *value) << *written;
  }
  auto large = writer.stringWithObject(Array{foundation::DecimalNumber("15e32768")});
  ASSERT_TRUE(large) << writer.error();
  EXPECT_EQ(parser.objectWithString(*large), Value(Array{foundation::DecimalNumber("15e32768")}));
  EXPECT_EQ(writeErrorFor(Array{foundation::DecimalNumber(1, -1'000'000'000, false)}),
            "Number 1e-1000000000 has an exponent too far out of range to write in JSON");
}

TEST(JsonWriterTest, ZeroAtAnyScaleIsWrittenBackAsZeroWithItsSign) {
  JsonParser parser;
  JsonWriter writer;
  // 1.1 million fraction zeros: more than the writer pads any other number with to reach the range.
  for (const std::string sign : {"", "-"}) {
    auto value = parser.objectWithString("[" + sign + "0." + std::string(1'100'000, '0') + "e-32767]");
    ASSERT_TRUE(value) << parser.error();
    auto written = writer.stringWithObject(*value);
    ASSERT_TRUE(written) << writer.error();
    auto back = parser.objectWithString(*written);
    ASSERT_TRUE(back) << *written << ": " << parser.error();
    const auto* zero = back->getArray()->at(0).getDecimal();
    ASSERT_TRUE(zero) << *written;
    EXPECT_EQ(*zero, foundation::DecimalNumber(0, 0, false)) << *written;
    EXPECT_EQ(std::signbit(zero->doubleValue()), sign == "-") << *written;
  }
}

TEST(JsonWriterTest, NegativeZeroKeepsItsSignThroughARoundTrip) {
  JsonWriter writer;
  auto text = writer.stringWithObject(Array{-0.0});
  ASSERT_TRUE(text) << writer.error();
  JsonParser parser;
  auto back = parser.objectWithString(*text);
  ASSERT_TRUE(back) << parser.error();
  EXPECT_EQ(writer.stringWithObject(*back), text);
  EXPECT_TRUE(std::signbit(back->getArray()->at(0).toDouble())) << *text;
}

}  // namespace
}  // namespace framework
