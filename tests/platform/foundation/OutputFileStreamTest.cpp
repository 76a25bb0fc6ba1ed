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

// Larger than one read chunk, and not a whole number of them.
Bytes pattern(std::size_t size) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  return bytes;
}

TEST_F(OutputFileStreamTest, AppendsAFileWholeBetweenWritesInEitherMode) {
  const Bytes content = pattern(600'001);
  ASSERT_TRUE(FileManager::writeAtomically(at("part.bin"), content).ok());
  // Truncating streams are copied by the kernel; appending ones go through the read loop.
  for (auto mode : {OutputFileStream::Mode::Truncate, OutputFileStream::Mode::Append}) {
    (void)FileManager::removeItem(at("body"));
    auto stream = OutputFileStream::open(at("body"), mode);
    ASSERT_TRUE(stream.ok());
    ASSERT_TRUE(stream->write("head").ok());
    ASSERT_TRUE(stream->appendReadableContentsOfFile(at("part.bin")).ok());
    ASSERT_TRUE(stream->write("tail").ok());
    EXPECT_EQ(stream->offset(), content.size() + 8);
    ASSERT_TRUE(stream->close().ok());
    Bytes expected{'h', 'e', 'a', 'd'};
    expected.insert(expected.end(), content.begin(), content.end());
    expected.insert(expected.end(), {'t', 'a', 'i', 'l'});
    EXPECT_EQ(*FileManager::readFile(at("body")), expected);
  }
}

TEST_F(OutputFileStreamTest, AppendsWhatOnlyReadingGivesAndSkipsWhatCannotBeRead) {
  auto stream = OutputFileStream::open(at("body"), OutputFileStream::Mode::Truncate);
  ASSERT_TRUE(stream.ok());
  // Files of /proc claim to be empty; their bytes come only from read().
  const Bytes commandLine = *FileManager::readFile("/proc/self/cmdline");
  ASSERT_FALSE(commandLine.empty());
  EXPECT_TRUE(stream->appendReadableContentsOfFile("/proc/self/cmdline").ok());
  EXPECT_TRUE(stream->appendReadableContentsOfFile(at("missing")).ok()) << "no failure of the stream";
  EXPECT_TRUE(stream->close().ok());
  EXPECT_EQ(*FileManager::readFile(at("body")), commandLine);

  ASSERT_TRUE(FileManager::writeAtomically(at("part.bin"), pattern(10)).ok());
  auto full = OutputFileStream::open("/dev/full", OutputFileStream::Mode::Truncate);
  ASSERT_TRUE(full.ok());
  Status status = full->appendReadableContentsOfFile(at("part.bin"));
  ASSERT_FALSE(status.ok());
  EXPECT_TRUE(status.error()->is(kPOSIXErrorDomain, ENOSPC)) << status.error()->debugText();
}

}  // namespace
}  // namespace foundation
