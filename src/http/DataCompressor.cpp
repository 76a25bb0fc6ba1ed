#include "src/http/DataCompressor.h"

#include <zlib.h>

#include <algorithm>

#include "src/http/GzipFileTransform.h"
#include "src/http/HTTPRequestErrors.h"

namespace http {

struct DataCompressor::ZStream {
  z_stream stream{};
};

namespace {
// A 32 KiB window with a gzip header and trailer.
constexpr int kGzipWindowBits = 31;
constexpr int kMemoryLevel = 8;
// Smallest output buffer, so that a one-byte chunk still has room to complete.
constexpr std::size_t kMinimumOutput = 64;
// zlib counts in 32 bits; larger inputs are fed in slices.
constexpr std::size_t kMaximumSlice = std::size_t{1} << 30;
}  // namespace

std::unique_ptr<DataCompressor> DataCompressor::compressor() {
  auto compressor = std::make_unique<DataCompressor>();
  (void)compressor->setupStream();  // a failed setup leaves it not ready; compressBytes then reports it
  return compressor;
}

DataCompressor::DataCompressor() : zStream_(std::make_unique<ZStream>()) {}

DataCompressor::~DataCompressor() { (void)closeStream(); }

foundation::Status DataCompressor::setupStream() {
  if (streamReady_) return {};
  zStream_->stream = z_stream{};
  int status = deflateInit2(&zStream_->stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzipWindowBits, kMemoryLevel,
                            Z_DEFAULT_STRATEGY);
  if (status != Z_OK) return deflateErrorWithCode(status);
  streamReady_ = true;
  return {};
}

foundation::Status DataCompressor::closeStream() {
  if (!streamReady_) return {};
  streamReady_ = false;
  int status = deflateEnd(&zStream_->stream);
  // Ending a stream that was never finished reports Z_DATA_ERROR; its memory is freed all the same.
  if (status != Z_OK && status != Z_DATA_ERROR) return deflateErrorWithCode(status);
  return {};
}

foundation::Result<foundation::Bytes> DataCompressor::compressBytes(const std::uint8_t* bytes, std::size_t length,
                                                                    bool shouldFinish) {
  if (length == 0) return foundation::Bytes{};
  if (!streamReady_) return deflateErrorWithCode(Z_STREAM_ERROR);
  z_stream& stream = zStream_->stream;
  const std::uint8_t* unread = bytes;
  std::size_t remaining = length;
  foundation::Bytes output(std::max(length / 2, kMinimumOutput));
  std::size_t produced = 0;
  for (;;) {
    if (stream.avail_in == 0 && remaining > 0) {
      std::size_t slice = std::min<std::size_t>(remaining, kMaximumSlice);
      stream.next_in = const_cast<Bytef*>(unread);
      stream.avail_in = static_cast<uInt>(slice);
      unread += slice;
      remaining -= slice;
    }
    if (produced == output.size()) output.resize(output.size() * 2);
    stream.next_out = output.data() + produced;
    stream.avail_out = static_cast<uInt>(output.size() - produced);
    int status = deflate(&stream, shouldFinish && remaining == 0 ? Z_FINISH : Z_NO_FLUSH);
    produced = output.size() - stream.avail_out;
    if (status == Z_STREAM_END) break;
    if (status != Z_OK && status != Z_BUF_ERROR) return deflateErrorWithCode(status);
    // Room left over means deflate took all the input it was given and holds no pending output.
    if (stream.avail_out != 0 && remaining == 0) break;
  }
  output.resize(produced);
  return output;
}

foundation::Result<foundation::Bytes> DataCompressor::compressData(const foundation::Bytes& bytes) {
  auto compressor = DataCompressor::compressor();
  auto result = compressor->compressBytes(bytes.data(), bytes.size(), true);
  if (!result.ok()) return result;
  auto closed = compressor->closeStream();
  if (!closed.ok()) return closed.error();
  return result;
}

foundation::Status DataCompressor::compressDataFromFile(const std::string& sourcePath,
                                                        const std::string& destinationPath) {
  auto compressor = DataCompressor::compressor();
  GzipFileSteps steps{
      "Compression",
      [&](const std::uint8_t* bytes, std::size_t length, bool isLast) {
        return compressor->compressBytes(bytes, length, isLast);
      },
      [&] { return compressor->closeStream(); },
  };
  return transformGzipFile(sourcePath, destinationPath, steps);
}

foundation::ErrorPtr DataCompressor::deflateErrorWithCode(int code) {
  return makeRequestError(HTTPRequestErrorCode::compression,
                          "Compression of data failed with code " + std::to_string(code));
}

}  // namespace http
