#include "platform/net/NTLM.h"

#include <gtest/gtest.h>

#include "platform/foundation/Base64.h"
#include "platform/foundation/Digest.h"

namespace net {
namespace {

TEST(NTLM, KeyMatchesThePublishedExampleAndMessagesAreWellFormed) {
  auto key = ntlmV2Key("User", "Password", "Domain");
  ASSERT_TRUE(key) << "MD4 from the legacy provider";
  EXPECT_EQ(foundation::hexString(*key), "0c868a403bfd7a93a3001ef22ef02e3f");

  auto negotiate = foundation::base64Decode(ntlmNegotiateMessage());
  ASSERT_TRUE(negotiate);
  EXPECT_EQ(negotiate->size(), 32u);
  EXPECT_EQ((*negotiate)[8], 1);

  foundation::Bytes type2{'N', 'T', 'L', 'M', 'S', 'S', 'P', 0, 2, 0, 0, 0};
  type2.resize(48, 0);
  for (int i = 0; i < 8; ++i) type2[24 + i] = static_cast<std::uint8_t>(0x01 * i);
  type2[40] = 4;  // target info: 4 bytes at offset 48
  type2[44] = 48;
  type2.insert(type2.end(), {0, 0, 0, 0});
  auto challenge = parseNTLMChallenge(foundation::base64Encode(type2));
  ASSERT_TRUE(challenge);
  EXPECT_EQ(challenge->targetInfo.size(), 4u);
  type2[44] = 200;  // a target info outside the message
  EXPECT_FALSE(parseNTLMChallenge(foundation::base64Encode(type2)));
  EXPECT_FALSE(parseNTLMChallenge("bm90IG50bG0="));

  auto answer = ntlmAuthenticateMessage(*challenge, "User", "Password", "Domain", {1, 2, 3, 4, 5, 6, 7, 8}, 0);
  ASSERT_TRUE(answer);
  auto bytes = foundation::base64Decode(*answer);
  ASSERT_TRUE(bytes);
  EXPECT_EQ((*bytes)[8], 3);
  std::size_t ntLength = (*bytes)[20] | ((*bytes)[21] << 8);
  EXPECT_EQ(ntLength, 16u + 28u + 4u + 4u) << "proof, blob header, target info, terminator";
}

}  // namespace
}  // namespace net
