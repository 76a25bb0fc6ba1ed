#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>

#include "src/http/DataCompressor.h"
#include "src/http/DataDecompressor.h"
#include "src/http/HTTPRequestErrors.h"
#include "tests/http/TemporaryDirectory.h"

namespace http {
namespace {

using foundation::Bytes;
using test::bytesOf;
using test::noise;

Bytes gzip(const Bytes& input) {
  auto result = DataCompressor::compressData(input);
  EXPECT_TRUE(result.ok()) << result.error()->debugText();
  return result.ok() ? *result : Bytes{};
}

// Whether zlib itself sees one complete gzip member holding exactly `expected`.
bool isCompleteMemberOf(const Bytes& member, const Bytes& expected) {
  z_stream stream{};
  inflateInit2(&stream, 31);
  Bytes out(expected.size() + 16);
  stream.next_in = const_cast<Bytef*>(member.data());
  stream.avail_in = static_cast<uInt>(member.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  int status = inflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  bool consumedAll = stream.avail_in == 0;
  inflateEnd(&stream);
  return status == Z_STREAM_END && consumedAll && out == expected;
}

TEST(DataCodecTest, RoundTripsAnyNonEmptyInputAsOneGzipMember) {
  for (std::size_t size : {std::size_t{1}, std::size_t{2}, std::size_t{100}, std::size_t{70000}}) {
    Bytes input = noise(size, static_cast<unsigned>(size));
    Bytes compressed = gzip(input);
    ASSERT_GE(compressed.size(), 2u);
    EXPECT_EQ(compressed[0], 0x1f);
    EXPECT_EQ(compressed[1], 0x8b);
    EXPECT_TRUE(isCompleteMemberOf(compressed, input)) << size;
    auto inflated = DataDecompressor::uncompressData(compressed);
    ASSERT_TRUE(inflated.ok());
    EXPECT_EQ(*inflated, input) << size;
  }
}

TEST(DataCodecTest, ChunksWithFinishOnTheLastMakeOneMember) {
  Bytes input = noise(50000);
  auto compressor = DataCompressor::compressor();
  Bytes member;
  for (std::size_t offset = 0; offset < input.size(); offset += 7000) {
    std::size_t length = std::min<std::size_t>(7000, input.size() - offset);
    auto part = compressor->compressBytes(input.data() + offset, length, offset + length == input.size());
    ASSERT_TRUE(part.ok());
    member.insert(member.end(), part->begin(), part->end());
  }
  EXPECT_TRUE(compressor->closeStream().ok());
  EXPECT_FALSE(compressor->streamReady());
  EXPECT_TRUE(isCompleteMemberOf(member, input));
}

TEST(DataCodecTest, InflatingMembersInPiecesGivesTheSameBytesAsInOneCall) {
  Bytes first = noise(100000);
  first.insert(first.end(), 100000, 'a');  // highly compressible tail
  Bytes second = bytesOf("a second gzip member");
  Bytes compressed = gzip(first);
  Bytes secondMember = gzip(second);
  compressed.insert(compressed.end(), secondMember.begin(), secondMember.end());
  Bytes input = first;
  input.insert(input.end(), second.begin(), second.end());
  compressed.insert(compressed.end(), 16, 0);  // padding after the last member is ignored
  auto whole = DataDecompressor::uncompressData(compressed);
  ASSERT_TRUE(whole.ok());
  EXPECT_EQ(*whole, input);
  for (std::size_t piece : {std::size_t{1}, std::size_t{13}, std::size_t{4096}}) {
    auto decompressor = DataDecompressor::decompressor();
    Bytes inflated;
    for (std::size_t offset = 0; offset < compressed.size(); offset += piece) {
      auto part =
          decompressor->uncompressBytes(compressed.data() + offset, std::min(piece, compressed.size() - offset));
      ASSERT_TRUE(part.ok());
      inflated.insert(inflated.end(), part->begin(), part->end());
    }
    EXPECT_EQ(inflated, input) << "piece size " << piece;
  }
}

TEST(DataCodecTest, InflatesEverythingWhenOutputIsFarLargerThanInput) {
  // 8 MiB of zeros compress to a few KiB: output fills its buffer many times over.
  Bytes zeros(8u << 20, 0);
  Bytes compressed = gzip(zeros);
  ASSERT_LT(compressed.size(), 20000u);
  auto inflated = DataDecompressor::uncompressData(compressed);
  ASSERT_TRUE(inflated.ok());
  EXPECT_EQ(inflated->size(), zeros.size());
  EXPECT_EQ(*inflated, zeros);
}

TEST(DataCodecTest, RecognisesAZlibHeader) {
  Bytes input = bytesOf("zlib, not gzip, framed data");
  uLongf size = compressBound(input.size());
  Bytes zlibData(size);
  ASSERT_EQ(compress2(zlibData.data(), &size, input.data(), input.size(), 6), Z_OK);
  zlibData.resize(size);
  auto inflated = DataDecompressor::uncompressData(zlibData);
  ASSERT_TRUE(inflated.ok());
  EXPECT_EQ(*inflated, input);
}

TEST(DataCodecTest, TruncatedDataGivesThePrefixWithoutError) {
  Bytes input = noise(200000);
  Bytes compressed = gzip(input);
  compressed.resize(compressed.size() / 2);
  auto inflated = DataDecompressor::uncompressData(compressed);
  ASSERT_TRUE(inflated.ok());
  ASSERT_GT(inflated->size(), 0u);
  ASSERT_LT(inflated->size(), input.size());
  EXPECT_TRUE(std::equal(inflated->begin(), inflated->end(), input.begin()));
}

TEST(DataCodecTest, CorruptDataFailsWithTheCompressionCode) {
  Bytes compressed = gzip(noise(1000));
  for (std::size_t i = 10; i < 40; ++i) compressed[i] ^= 0x5a;
  auto inflated = DataDecompressor::uncompressData(compressed);
  ASSERT_FALSE(inflated.ok());
  EXPECT_TRUE(isRequestError(inflated.error(), HTTPRequestErrorCode::compression));
  EXPECT_EQ(inflated.error()->description(), "Decompression of data failed with code -3");

  auto notGzip = DataDecompressor::uncompressData(bytesOf("<html>plain text</html>"));
  ASSERT_FALSE(notGzip.ok());
  EXPECT_EQ(notGzip.error()->description(), "Decompression of data failed with code -3");
}

TEST(DataCodecTest, AClosedStreamReportsAnErrorInsteadOfTouchingFreedState) {
  auto decompressor = DataDecompressor::decompressor();
  ASSERT_TRUE(decompressor->closeStream().ok());
  Bytes compressed = gzip(bytesOf("x"));
  auto result = decompressor->uncompressBytes(compressed.data(), compressed.size());
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error()->description(), "Decompression of data failed with code -2");
  EXPECT_TRUE(decompressor->setupStream().ok());
  EXPECT_TRUE(decompressor->streamReady());
}

class DataCodecFileTest : public ::testing::Test {
 protected:
  test::TemporaryDirectory directory;
};

TEST_F(DataCodecFileTest, FileOfExactChunkMultipleBecomesACompleteMember) {
  Bytes input = noise(2 * 262144);
  test::writeFile(directory.file("source"), input);
  auto compressed = DataCompressor::compressDataFromFile(directory.file("source"), directory.file("source.gz"));
  ASSERT_TRUE(compressed.ok()) << compressed.error()->debugText();
  EXPECT_TRUE(isCompleteMemberOf(test::readFile(directory.file("source.gz")), input));

  auto inflated = DataDecompressor::uncompressDataFromFile(directory.file("source.gz"), directory.file("back"));
  ASSERT_TRUE(inflated.ok());
  EXPECT_EQ(test::readFile(directory.file("back")), input);
}

TEST_F(DataCodecFileTest, MissingSourceLeavesAnEmptyDestination) {
  std::string source = directory.file("absent");
  std::string destination = directory.file("out");
  test::writeFile(destination, bytesOf("old contents"));
  auto status = DataCompressor::compressDataFromFile(source, destination);
  ASSERT_FALSE(status.ok());
  EXPECT_TRUE(isRequestError(status.error(), HTTPRequestErrorCode::compression));
  EXPECT_EQ(status.error()->description(), "Compression of " + source + " failed the file does not exist");
  EXPECT_TRUE(std::filesystem::exists(destination));
  EXPECT_EQ(std::filesystem::file_size(destination), 0u);

  auto inflate = DataDecompressor::uncompressDataFromFile(source, destination);
  ASSERT_FALSE(inflate.ok());
  EXPECT_EQ(inflate.error()->description(), "Decompression of " + source + " failed the file does not exist");
}

TEST_F(DataCodecFileTest, UncreatableDestinationIsReported) {
  test::writeFile(directory.file("source"), bytesOf("data"));
  std::string destination = directory.file("no-such-folder/out");
  auto status = DataCompressor::compressDataFromFile(directory.file("source"), destination);
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.error()->description(), "Compression of " + directory.file("source") +
                                               " failed because we were to create a file at " + destination);
}

TEST_F(DataCodecFileTest, AFullDiskIsAWriteErrorNotASuccess) {
  test::writeFile(directory.file("source"), noise(300000));
  auto status = DataCompressor::compressDataFromFile(directory.file("source"), "/dev/full");
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.error()->description(), "Compression of " + directory.file("source") +
                                               " failed because we were unable to write to the destination data "
                                               "file at /dev/full");
  ASSERT_NE(status.error()->underlying(), nullptr);
  EXPECT_EQ(status.error()->underlying()->code(), ENOSPC);
}

TEST_F(DataCodecFileTest, UnreadableSourceIsAReadError) {
  std::filesystem::create_directory(directory.file("folder"));
  auto status = DataDecompressor::uncompressDataFromFile(directory.file("folder"), directory.file("out"));
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.error()->description(), "Decompression of " + directory.file("folder") +
                                               " failed because we were unable to read from the source data file");
  EXPECT_NE(status.error()->underlying(), nullptr);
}

TEST_F(DataCodecFileTest, CorruptSourceFileFailsWithTheInflateCode) {
  test::writeFile(directory.file("bad.gz"), bytesOf("\x1f\x8b this is not deflate data at all"));
  auto status = DataDecompressor::uncompressDataFromFile(directory.file("bad.gz"), directory.file("out"));
  ASSERT_FALSE(status.ok());
  EXPECT_TRUE(isRequestError(status.error(), HTTPRequestErrorCode::compression));
}

}  // namespace
}  // namespace http
