#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

namespace foundation {
namespace {

std::string decoded(const Bytes& bytes, std::string_view charset) {
  auto text = Text::decode(bytes, charset);
  return text ? *text : "<" + text.error()->description() + ">";
}

bool failsWith(const Result<std::string>& result, long long code) {
  return !result.ok() && result.error()->is(kTextEncodingErrorDomain, code);
}

TEST(TextCharsetTest, DecodesTheCharsetsRepliesUse) {
  EXPECT_EQ(decoded({0xe4, 0xb8, 0xad, 'a'}, "UTF-8"), "中a");
  EXPECT_EQ(decoded({0xe9, 0x41}, "ISO-8859-1"), "éA");
  EXPECT_EQ(decoded({0xd6, 0xd0, 0xce, 0xc4}, "GBK"), "中文");
  EXPECT_EQ(decoded({0xd6, 0xd0, 0xa2, 0xe3, 0x94, 0x32, 0xbe, 0x34}, "gb18030"), "中€𝄞");
  EXPECT_EQ(decoded({0xff, 0xfe, 0x2d, 0x4e}, "UTF-16"), "中") << "little-endian by its byte-order mark";
  EXPECT_EQ(decoded({0x4e, 0x2d}, "UTF-16"), "中") << "big-endian without a mark";
  EXPECT_EQ(decoded({}, "utf-8"), "");
  EXPECT_EQ(decoded(Bytes(10000, 'x'), "UTF-8"), std::string(10000, 'x')) << "longer than one conversion buffer";
}

TEST(TextCharsetTest, InvalidOrTruncatedInputIsAnErrorNotAReplacement) {
  EXPECT_TRUE(failsWith(Text::decode(Bytes{0xc3, 0x28}, "UTF-8"), kInvalidTextError));
  EXPECT_TRUE(failsWith(Text::decode(Bytes{'a', 0xe4, 0xb8}, "UTF-8"), kInvalidTextError));
  EXPECT_TRUE(failsWith(Text::decode(Bytes{0xed, 0xa0, 0x80}, "UTF-8"), kInvalidTextError)) << "a lone surrogate";
  EXPECT_TRUE(failsWith(Text::decode(Bytes{0xc0, 0xaf}, "UTF-8"), kInvalidTextError)) << "an overlong form";
  EXPECT_TRUE(failsWith(Text::decode(Bytes{0xd6}, "GBK"), kInvalidTextError));
  EXPECT_TRUE(failsWith(Text::decode(Bytes{0x4e, 0x2d, 0x4e}, "UTF-16"), kInvalidTextError));
}

TEST(TextCharsetTest, UnknownAndHostileCharsetNamesAreRefused) {
  EXPECT_TRUE(failsWith(Text::decode(Bytes{'a'}, "x-klingon"), kUnknownCharsetError));
  EXPECT_TRUE(failsWith(Text::decode(Bytes{'a'}, ""), kUnknownCharsetError));
  // A suffix that would make the conversion drop what it cannot read.
  EXPECT_TRUE(failsWith(Text::decode(Bytes{0xc3, 0x28}, "UTF-8//IGNORE"), kUnknownCharsetError));
  EXPECT_TRUE(Text::isKnownCharset("utf-8"));
  EXPECT_TRUE(Text::isKnownCharset("GB18030"));
  EXPECT_FALSE(Text::isKnownCharset("UTF-8//TRANSLIT"));
  EXPECT_FALSE(Text::isKnownCharset("x-klingon"));
}

TEST(TextCharsetTest, EncodesExactlyOrFails) {
  EXPECT_EQ(*Text::encode("中文", "GBK"), (Bytes{0xd6, 0xd0, 0xce, 0xc4}));
  EXPECT_EQ(*Text::encode("é", "ISO-8859-1"), (Bytes{0xe9}));
  EXPECT_EQ(*Text::encode("a b", "UTF-8"), (Bytes{'a', ' ', 'b'}));
  auto notRepresentable = Text::encode("中", "ISO-8859-1");
  ASSERT_FALSE(notRepresentable.ok());
  EXPECT_TRUE(notRepresentable.error()->is(kTextEncodingErrorDomain, kInvalidTextError));
  EXPECT_FALSE(Text::encode("é", "US-ASCII").ok()) << "no transliteration to 'e'";
  EXPECT_FALSE(Text::encode("\xc3\x28", "GBK").ok()) << "input that is not UTF-8";
  EXPECT_FALSE(Text::encode("a", "x-klingon").ok());
}

}  // namespace
}  // namespace foundation
