#include <gtest/gtest.h>

#include <string>

#include "src/framework/json/DictionaryJSONExtensions.h"
#include "src/framework/json/QRVJSONDeserializer.h"
#include "src/framework/json/QRVJSONScanner.h"

namespace framework {
namespace {

using foundation::Array;
using foundation::Bytes;
using foundation::Dictionary;
using foundation::Value;
using Code = QRVJSONScannerErrorCode;

Bytes jsonBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

Value read(std::string_view text) {
  auto value = QRVJSONDeserializer::deserializer().deserialize(jsonBytes(text));
  EXPECT_TRUE(value.ok()) << text << ": " << (value.ok() ? "" : value.error()->debugText());
  EXPECT_TRUE(value.ok() && value->has_value()) << text;
  return value.ok() && value->has_value() ? **value : Value();
}

long long codeOf(std::string_view text) {
  auto value = QRVJSONDeserializer::deserializer().deserialize(jsonBytes(text));
  if (value.ok()) return 0;
  EXPECT_EQ(value.error()->domain(), kQRVJSONScannerErrorDomain);
  return value.error()->code();
}

long long expected(Code code) { return static_cast<long long>(code); }

TEST(QRVJSONDeserializerTest, ReadsValuesKeepingKeyOrder) {
  Value value = read(" {\"b\" : [1, -2.5, 1e3, true, false, null], \"a\":{}, \"c\":\"x\"} trailing");
  const Dictionary* dictionary = value.getDictionary();
  ASSERT_NE(dictionary, nullptr);
  EXPECT_EQ(dictionary->keys(), (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_EQ((*dictionary)["b"], Value(Array{1.0, -2.5, 1000.0, true, false, Value()}));
  EXPECT_TRUE((*dictionary)["b"].getArray()->at(3).isBool());
  EXPECT_EQ((*dictionary)["a"], Value(Dictionary{}));
  EXPECT_EQ(read("[]"), Value(Array{}));
  EXPECT_EQ(read("[1e+2, 0e+1, 1E+2, 2e-1]"), Value(Array{100.0, 0.0, 100.0, 0.2}));
}

TEST(QRVJSONDeserializerTest, DecodesEscapesAndUnicode) {
  EXPECT_EQ(read(R"("q\" b\\ s\/ \b\f\n\r\t")"), Value("q\" b\\ s/ \b\f\n\r\t"));
  EXPECT_EQ(read(R"("\u4E2d\u00e9\ud83c\udfb5")"), Value("中é\xF0\x9F\x8E\xB5"));
  EXPECT_EQ(read("\"电台\""), Value("电台"));
  EXPECT_EQ(codeOf(R"("\q")"), expected(Code::stringEscape));
  EXPECT_EQ(codeOf(R"("\u12G4")"), expected(Code::stringUnicode));
  EXPECT_EQ(codeOf(R"("\ud83c alone")"), expected(Code::stringUnicode));
  EXPECT_EQ(codeOf("\"\xC3\x28\""), expected(Code::stringUnicode));
  EXPECT_EQ(codeOf("'single'"), expected(Code::stringNotStarted));
  EXPECT_EQ(codeOf("\"never closed"), expected(Code::stringNotTerminated));
}

TEST(QRVJSONDeserializerTest, ReportsEachMalformedConstructWithItsCode) {
  EXPECT_EQ(codeOf("{1:2}"), expected(Code::dictionaryKey));
  EXPECT_EQ(codeOf(R"({"a" 2})"), expected(Code::dictionaryKeyNotTerminated));
  EXPECT_EQ(codeOf(R"({"a":})"), expected(Code::dictionaryValue));
  EXPECT_EQ(codeOf(R"({"a":1 "b":2})"), expected(Code::dictionaryPairsNotDelimited));
  EXPECT_EQ(codeOf(R"({"a":1)"), expected(Code::dictionaryNotTerminated));
  EXPECT_EQ(codeOf("[1,]"), expected(Code::arrayValue));
  EXPECT_EQ(codeOf("[1 2]"), expected(Code::arrayNotTerminated));
  EXPECT_EQ(codeOf("[1, 2"), expected(Code::arrayNotTerminatedAtEnd));
  EXPECT_EQ(codeOf("[-]"), expected(Code::arrayValue));
  EXPECT_EQ(codeOf("-"), expected(Code::number));
  EXPECT_EQ(codeOf("1e999"), expected(Code::number));

  auto error = QRVJSONDeserializer::deserializer().deserialize(jsonBytes("[1 2]")).error();
  EXPECT_EQ(error->description(), "Could not scan array. Array not terminated by a ']' character.");
}

TEST(QRVJSONDeserializerTest, NestedFailureNamesTheInnerCause) {
  auto error = QRVJSONDeserializer::deserializer().deserialize(jsonBytes(R"({"a":[1,"\x"]})")).error();
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->code(), expected(Code::dictionaryValue));
  ASSERT_NE(error->underlying(), nullptr);
  EXPECT_EQ(error->underlying()->code(), expected(Code::arrayValue));
  ASSERT_NE(error->underlying()->underlying(), nullptr);
  EXPECT_EQ(error->underlying()->underlying()->code(), expected(Code::stringEscape));
}

TEST(QRVJSONDeserializerTest, NoValueIsNotAnErrorButEmptyDataIs) {
  auto nothing = QRVJSONDeserializer::deserializer().deserialize(jsonBytes("  @"));
  ASSERT_TRUE(nothing.ok());
  EXPECT_FALSE(nothing->has_value());

  auto empty = QRVJSONDeserializer::deserializer().deserialize({});
  ASSERT_FALSE(empty.ok());
  EXPECT_TRUE(empty.error()->is(kQRVJSONDeserializerErrorDomain, kQRVJSONDeserializerEmptyDataError));
}

TEST(QRVJSONDeserializerTest, TypedEntryPointsRefuseOtherKinds) {
  auto dictionary = QRVJSONDeserializer::deserializer().deserializeAsDictionary(jsonBytes("[1]"));
  ASSERT_FALSE(dictionary.ok());
  EXPECT_EQ(dictionary.error()->code(), expected(Code::dictionaryNotStarted));
  auto array = QRVJSONDeserializer::deserializer().deserializeAsArray(jsonBytes("{}"));
  ASSERT_FALSE(array.ok());
  EXPECT_EQ(array.error()->code(), expected(Code::arrayNotStarted));

  auto viaExtension = dictionary_json_extensions::dictionaryWithJSONData(jsonBytes(R"({"k":"v"})"));
  ASSERT_TRUE(viaExtension.ok());
  EXPECT_EQ(*viaExtension, (Dictionary{{"k", "v"}}));
}

TEST(QRVJSONDeserializerTest, ConvertsWideTextByItsZeroBytes) {
  const std::u16string text16 = u"[\"中\",1]";
  const std::u32string text32 = U"[\"\U0001F3B5\"]";
  auto encode = [](const auto& text, std::size_t width, bool big) {
    Bytes out;
    for (auto unit : text)
      for (std::size_t k = 0; k < width; ++k) {
        std::size_t shift = big ? (width - 1 - k) * 8 : k * 8;
        out.push_back(static_cast<std::uint8_t>((static_cast<std::uint32_t>(unit) >> shift) & 0xFF));
      }
    return out;
  };
  const Value wide16(Array{"中", 1.0});
  const Value wide32(Array{"\xF0\x9F\x8E\xB5"});
  for (bool big : {true, false}) {
    auto value16 = QRVJSONDeserializer::deserializer().deserialize(encode(text16, 2, big));
    ASSERT_TRUE(value16.ok()) << value16.error()->debugText();
    EXPECT_EQ(**value16, wide16);
    auto value32 = QRVJSONDeserializer::deserializer().deserialize(encode(text32, 4, big));
    ASSERT_TRUE(value32.ok()) << value32.error()->debugText();
    EXPECT_EQ(**value32, wide32);
  }
  Bytes oddUtf16 = encode(text16, 2, true);
  oddUtf16.pop_back();
  EXPECT_FALSE(QRVJSONDeserializer::deserializer().deserialize(oddUtf16).ok());
}

TEST(QRVJSONDeserializerTest, RefusesNestingBeyondTheLimitWithoutExhaustingTheStack) {
  const int limit = QRVJSONScanner::kMaxDepth;
  std::string allowed = std::string(limit, '[') + std::string(limit, ']');
  EXPECT_TRUE(QRVJSONDeserializer::deserializer().deserialize(jsonBytes(allowed)).ok());
  std::string hostile(200000, '[');
  EXPECT_EQ(codeOf(hostile), expected(Code::arrayValue));
}

TEST(QRVJSONScannerTest, FailedScanReturnsToWhereTheConstructBegan) {
  QRVJSONScanner scanner;
  ASSERT_TRUE(scanner.setData(jsonBytes(R"(  {"a":1,"b" 2})")).ok());
  EXPECT_FALSE(scanner.scanJSONDictionary().ok());
  EXPECT_EQ(scanner.scanLocation(), 0u);

  ASSERT_TRUE(scanner.setData(jsonBytes(R"(x"abc)")).ok());
  scanner.setScanLocation(1);
  EXPECT_FALSE(scanner.scanJSONStringConstant().ok());
  EXPECT_EQ(scanner.scanLocation(), 1u);

  ASSERT_TRUE(scanner.setData(jsonBytes(R"(ab"cd)")).ok());
  std::string prefix;
  EXPECT_TRUE(scanner.scanNotQuoteCharactersIntoString(&prefix));
  EXPECT_EQ(prefix, "ab");
  EXPECT_FALSE(scanner.scanNotQuoteCharactersIntoString(&prefix));
}

}  // namespace
}  // namespace framework
