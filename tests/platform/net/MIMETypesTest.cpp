#include "platform/net/MIMETypes.h"

#include <gtest/gtest.h>

namespace net {
namespace {

TEST(MIMETypesTest, TableTextIsReadWithCommentsAndFirstTypeWins) {
  auto table = MIMETypes::fromText(
      "# comment line\n"
      "audio/mpeg\t\tmpga mp2 mp3\n"
      "image/jpeg jpeg jpg jpe # trailing comment\n"
      "not-a-type xyz\n"
      "audio/x-mpeg mp3\n"
      "application/empty\n");
  EXPECT_EQ(table.typeForExtension("mp3"), "audio/mpeg");
  EXPECT_EQ(table.typeForExtension("JPG"), "image/jpeg");
  EXPECT_FALSE(table.typeForExtension("xyz"));
  EXPECT_FALSE(table.typeForExtension("comment"));
  EXPECT_EQ(table.typeForFileName("/music/songs/Track.Final.MP3"), "audio/mpeg");
  EXPECT_EQ(table.typeForFileName("cover.jpeg"), "image/jpeg");
  EXPECT_EQ(table.typeForFileName("README"), MIMETypes::kDefaultType);
  EXPECT_EQ(table.typeForFileName("archive."), MIMETypes::kDefaultType);
  EXPECT_EQ(table.typeForFileName("dir.d/file"), MIMETypes::kDefaultType);
  EXPECT_EQ(table.typeForFileName("data.unknownext"), MIMETypes::kDefaultType);
}

TEST(MIMETypesTest, SystemTableKnowsCommonTypes) {
  const MIMETypes& system = MIMETypes::system();
  ASSERT_GT(system.size(), 100u) << "/etc/mime.types is missing (Debian package media-types)";
  EXPECT_EQ(system.typeForFileName("a.png"), "image/png");
  EXPECT_EQ(system.typeForFileName("a.jpg"), "image/jpeg");
  EXPECT_EQ(system.typeForFileName("a.json"), "application/json");
  EXPECT_EQ(system.typeForFileName("a.mp3"), "audio/mpeg");
}

TEST(MIMETypesTest, MissingFileIsAnError) { EXPECT_FALSE(MIMETypes::fromFile("/nonexistent/mime.types").ok()); }

}  // namespace
}  // namespace net
