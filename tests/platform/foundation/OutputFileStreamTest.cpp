#include "platform/foundation/OutputFileStream.h"

#include <gtest/gtest.h>

#include "platform/foundation/FileManager.h"
#include "tests/platform/foundation/TemporaryHome.h"

namespace foundation {
namespace {

class OutputFileStreamTest : public testing::TemporaryHome {};

TEST_F(OutputFileStreamTest, WritesPiecesAndCountsThem) {
  auto stream = OutputFileStream::open(at("song.temp"), OutputFileStream::Mode::Truncate);
  ASSERT_TRUE(stream.ok()) << stream.error()->debugText();
  EXPECT_TRUE(stream->write("abc").ok());
  EXPECT_TRUE(stream->write(Bytes{0, 'd'}).ok());
  EXPECT_EQ(stream->offset(), 5u);
  EXPECT_TRUE(stream->synchronize().ok());
  EXPECT_TRUE(stream->close().ok());
  EXPECT_FALSE(stream->isOpen());
  EXPECT_EQ(*FileManager::readFile(at("song.temp")), (Bytes{'a', 'b', 'c', 0, 'd'}));
}

TEST_F(OutputFileStreamTest, AppendResumesAfterWhatIsThereAndTruncateStartsOver) {
  ASSERT_TRUE(FileManager::writeAtomically(at("song.temp"), "12345").ok());
  {
    auto stream = OutputFileStream::open(at("song.temp"), OutputFileStream::Mode::Append);
    ASSERT_TRUE(stream.ok());
    EXPECT_EQ(stream->offset(), 5u);
    EXPECT_TRUE(stream->write("678").ok());
    EXPECT_EQ(stream->offset(), 8u);
  }  // closed by its destructor
  EXPECT_EQ(*FileManager::readTextFile(at("song.temp")), "12345678");

  auto again = OutputFileStream::open(at("song.temp"), OutputFileStream::Mode::Truncate);
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(again->offset(), 0u);
  EXPECT_TRUE(again->write("x").ok());
  EXPECT_TRUE(again->close().ok());
  EXPECT_EQ(*FileManager::readTextFile(at("song.temp")), "x");
}

TEST_F(OutputFileStreamTest, AFullDiskIsAnErrorNamingTheFile) {
  auto stream = OutputFileStream::open("/dev/full", OutputFileStream::Mode::Truncate);
  ASSERT_TRUE(stream.ok()) << stream.error()->debugText();
  Status status = stream->write(std::string(4096, 'x'));
  ASSERT_FALSE(status.ok());
  EXPECT_TRUE(status.error()->is(kPOSIXErrorDomain, ENOSPC)) << status.error()->debugText();
  EXPECT_NE(status.error()->description().find("/dev/full"), std::string::npos);
  EXPECT_EQ(stream->offset(), 0u) << "nothing reached the disk";
}

TEST_F(OutputFileStreamTest, WritingAfterCloseOrIntoAMissingFolderFails) {
  auto stream = OutputFileStream::open(at("f"), OutputFileStream::Mode::Truncate);
  ASSERT_TRUE(stream.ok());
  ASSERT_TRUE(stream->close().ok());
  EXPECT_TRUE(stream->write("late").error()->is(kPOSIXErrorDomain, EBADF));
  EXPECT_TRUE(stream->close().ok()) << "closing twice is harmless";

  auto missing = OutputFileStream::open(at("no/such/folder/f"), OutputFileStream::Mode::Append);
  ASSERT_FALSE(missing.ok());
  EXPECT_TRUE(missing.error()->is(kPOSIXErrorDomain, ENOENT));
  EXPECT_NE(missing.error()->description().find(at("no/such/folder/f")), std::string::npos);
}

}  // namespace
}  // namespace foundation
