#include "platform/foundation/Digest.h"

#include <gtest/gtest.h>

namespace foundation {
namespace {

TEST(DigestTest, Md5OfKnownTexts) {
  EXPECT_EQ(md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(md5Hex("http://img.example.com/a.jpg!small0"), "e3331ed21b52500facb79852a66407af");
  EXPECT_EQ(md5Hex("中文电台"), "0039238043d831b40fe6bf6eab528e68");
}

TEST(DigestTest, RawDigestMatchesTheHexTextAndBinaryInput) {
  Md5Digest raw = md5("abc");
  EXPECT_EQ(raw[0], 0x90);
  EXPECT_EQ(raw[15], 0x72);
  EXPECT_EQ(hexString(raw), md5Hex("abc"));
  const std::uint8_t bytes[] = {'a', 'b', 'c'};
  EXPECT_EQ(md5(std::span<const std::uint8_t>(bytes)), raw);
  EXPECT_EQ(hexString(std::vector<std::uint8_t>{0x00, 0x0f, 0xa0, 0xff}), "000fa0ff");
}

}  // namespace
}  // namespace foundation
