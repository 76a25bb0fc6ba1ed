#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "src/framework/json/JsonParser.h"
#include "src/framework/json/JsonStreamParser.h"
#include "src/framework/json/JsonStreamParserAdapter.h"
#include "src/framework/json/JsonWriter.h"

namespace framework {
namespace {

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

std::string errorFor(std::string_view text) {
  JsonParser parser;
  EXPECT_FALSE(parser.objectWithString(text)) << text;
  return parser.error();
}

TEST(JsonStreamParserTest, ReportsEachMalformedDocumentWithItsOwnText) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"true", "Token 'boolean' not expected before outer-most array or object"},
      {"1", "Unexpected end of input"},
      {"[1, 2", "Unexpected end of input"},
      {"[1,]", "Token 'end of array' not expected as array value"},
      {R"({"a":1,})", "Token 'end of object' not expected in place of object key"},
      {R"({"a" 1})", "Token 'number' not expected after object key"},
      {"[] []", "Token 'start of array' not expected after outer-most array or object"},
      {"[01]", "Leading zero is illegal in number"},
      {"[-]", "No digits after initial minus"},
      {"[1.]", "No digits after decimal point"},
      {"[1e]", "No digits in exponent"},
      {"[+1]", "Leading + is illegal in number"},
      {"[1e32768]", "Exponent out of range in number"},
      {"[trux]", "Expected 'true' after initial 't'"},
      {"[nul]", "Expected 'null' after initial 'n'"},
      {"[nu", "Unexpected end of input"},
      {"[#]", "Illegal start of token [#]"},
      {"[\"a\x01\"]", "Unescaped control character [0x01]"},
      {"[\"\xff\"]", "Broken Unicode encoding"},
      {R"(["\x"])", "Illegal escape character"},
      {R"(["\u12G4"])", "Invalid hex quad"},
      {R"(["\uDE00"])", "Invalid high character in surrogate pair"},
      {R"(["\uD83D"])", "Missing low character in surrogate pair"},
      {R"(["\uD83D\u0041"])", "Invalid low character in surrogate pair"},
  };
  for (const auto& [text, error] : cases) EXPECT_EQ(errorFor(text), error) << text;

  JsonParser parser;
  EXPECT_FALSE(parser.objectWithData(std::nullopt));
  EXPECT_EQ(parser.error(), "Input was 'nil'");
  auto result = parser.objectWithStringOrError("[1,]");
  ASSERT_FALSE(result.ok());
  EXPECT_TRUE(result.error()->is(kJsonParserErrorDomain, 0));
  EXPECT_EQ(result.error()->description(), "Token 'end of array' not expected as array value");
}

TEST(JsonStreamParserTest, RefusesAnythingButWhiteSpaceAfterTheDocument) {
  const std::string numberAfter = "Token 'number' not expected after outer-most array or object";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"{}0", numberAfter},
      {"[] 1", numberAfter},
      {"[1] 12345", numberAfter},
      {"[1]-0", numberAfter},
      {"[]\"", "Unexpected end of input"},
      {"[] \"unterminated", "Unexpected end of input"},
      {"{}tru", "Unexpected end of input"},
      {"[1]nul", "Unexpected end of input"},
      {"[]1e", "Unexpected end of input"},
      {"[1]x", "Illegal start of token [x]"},
  };
  for (const auto& [text, error] : cases) EXPECT_EQ(errorFor(text), error) << text;
  EXPECT_TRUE(JsonParser().objectWithString("[1] \r\n\t"));
}

const Array& arrayOf(const Value& value) {
  static const Array none;
  const auto* array = value.getArray();
  return array ? *array : none;
}

TEST(JsonStreamParserTest, ReadsValuesOfEveryKind) {
  auto value = JsonParsing::JSONValue(
      R"({"e":{},"a":[],"n":[-5,5,2.5e3,12345678901234567890,1e400],"s":"\ud83d\ude00\"\/\n","b":[true,false,null],"a":7})");
  ASSERT_TRUE(value);
  const Array& numbers = arrayOf((*value)["n"]);
  ASSERT_EQ(numbers.size(), 5u);
  EXPECT_EQ((*value)["e"], Value(Dictionary{}));
  EXPECT_EQ(numbers.at(0).kind(), Value::Kind::Int);
  EXPECT_EQ(numbers.at(1).kind(), Value::Kind::UInt);
  EXPECT_EQ(numbers.at(2), Value(foundation::DecimalNumber(25, 2, false)));
  EXPECT_EQ(numbers.at(2).toDouble(), 2500.0);
  EXPECT_EQ(numbers.at(3), Value(foundation::DecimalNumber("12345678901234567890")));
  EXPECT_EQ(numbers.at(4).toString(), "1e400");  // beyond a double: kept exact, not made infinite
  EXPECT_EQ((*value)["s"], Value("\U0001F600\"/\n"));
  EXPECT_EQ((*value)["b"], Value(Array{true, false, Value()}));
  EXPECT_EQ((*value)["a"], Value(7));  // a repeated key keeps its last value
  EXPECT_EQ(value->getDictionary() ? value->getDictionary()->size() : 0, 5u);
}

std::string nested(int depth) { return std::string(depth, '[') + std::string(depth, ']'); }

TEST(JsonStreamParserTest, LimitsNestingToMaxDepth) {
  JsonParser parser;
  EXPECT_TRUE(parser.objectWithString(nested(32)));
  EXPECT_FALSE(parser.objectWithString(nested(33)));
  EXPECT_EQ(parser.error(), "Input depth exceeds max depth of 32");
  parser.setMaxDepth(0);  // no container may open, so nothing parses
  EXPECT_FALSE(parser.objectWithString("[]"));
  EXPECT_EQ(parser.error(), "Input depth exceeds max depth of 0");
}

// Gathers every top-level value the adapter hands on.
class Collector : public JsonStreamParserAdapterDelegate {
 public:
  void parserFoundArray(JsonStreamParser&, Array array) override { values.emplace_back(std::move(array)); }
  void parserFoundObject(JsonStreamParser&, Value value) override { values.push_back(std::move(value)); }
  std::vector<Value> values;
};

struct Stream {
  Stream() {
    adapter.setDelegate(&collector);
    parser.setDelegate(&adapter);
  }
  Collector collector;
  JsonStreamParserAdapter adapter;
  JsonStreamParser parser;
};

TEST(JsonStreamParserTest, ReadsSeveralDocumentsOnlyWhenAsked) {
  Stream multiple;
  multiple.parser.setSupportMultipleDocuments(true);
  EXPECT_EQ(multiple.parser.parse("[1] {\"a\":2}\n["), JsonStreamParserStatus::waitingForData);
  EXPECT_EQ(multiple.parser.parse("3]"), JsonStreamParserStatus::waitingForData);
  ASSERT_EQ(multiple.collector.values.size(), 3u);
  EXPECT_EQ(multiple.collector.values[1], Value(Dictionary{{"a", 2}}));

  Stream single;
  EXPECT_EQ(single.parser.parse("[1] [2]"), JsonStreamParserStatus::error);
  EXPECT_EQ(single.parser.parse("[3]"), JsonStreamParserStatus::error);  // error is for good
  EXPECT_EQ(single.collector.values.size(), 1u);

  Stream skipping;  // the outer array's members arrive one by one
  skipping.adapter.setLevelsToSkip(1);
  EXPECT_EQ(skipping.parser.parse("[{\"a\":1},[2],3]"), JsonStreamParserStatus::complete);
  EXPECT_EQ(skipping.collector.values, (std::vector<Value>{Dictionary{{"a", 1}}, Array{2}, 3}));
}

TEST(JsonStreamParserTest, EverySplitOfADocumentParsesLikeTheWhole) {
  const std::string documents[] = {
      R"( {"name":"午后 \ud83d\ude00\t\u00e9", "n":[-12.5e-3, 0, 12345678901234567890123, true, false, null],
          "nested":{"x":[{}, []], "y":"\\\"\/"}} )",
      "[0.000123,-0E+2,1.5e-400,10000000000000000000000.0]",
      "[1.5e+1, 01]",                // malformed in a number
      R"({"a":[1,2,"x\uD83D y"]})",  // malformed: fails the same way whatever the split
      "[\"\xe5\x8d\"]",              // a UTF-8 sequence cut short inside a string
  };
  for (const auto& document : documents) {
    JsonParser whole;
    auto expected = whole.objectWithString(document);
    for (std::size_t split = 0; split <= document.size(); ++split) {
      Stream pieces;
      JsonStreamParserAccumulator accumulator;
      pieces.adapter.setDelegate(&accumulator);
      // Copies that go after each call: the parser keeps only what it has not read yet.
      (void)pieces.parser.parse(std::string(document, 0, split));
      auto status = pieces.parser.parse(std::string(document, split));
      if (expected) {
        ASSERT_EQ(status, JsonStreamParserStatus::complete) << split << ": " << pieces.parser.error();
        ASSERT_EQ(JsonWriting::JSONRepresentation(accumulator.value()), JsonWriting::JSONRepresentation(*expected));
      } else {
        ASSERT_EQ(status, JsonStreamParserStatus::error) << split;
        ASSERT_EQ(pieces.parser.error(), whole.error()) << split;
      }
    }
    Stream bytes;  // a token left over from several pieces before
    JsonStreamParserAccumulator accumulator;
    bytes.adapter.setDelegate(&accumulator);
    auto status = JsonStreamParserStatus::waitingForData;
    for (char byte : document) status = bytes.parser.parse(std::string(1, byte));
    if (expected) {
      EXPECT_EQ(JsonWriting::JSONRepresentation(accumulator.value()), JsonWriting::JSONRepresentation(*expected));
    } else {
      EXPECT_EQ(bytes.parser.error(), whole.error());
    }
    EXPECT_EQ(status, expected ? JsonStreamParserStatus::complete : JsonStreamParserStatus::error);
  }
}

}  // namespace
}  // namespace framework
