#include "src/http/DataDecompressor.h"

#include <zlib.h>

#include <algorithm>

#include "src/http/GzipFileTransform.h"
#include "src/http/HTTPRequestErrors.h"

namespace http {

struct DataDecompressor::ZStream {
  z_stream stream{};
  // The end of a member was reached: a following gzip member is inflated in turn, other trailing
  // bytes are ignored.
  bool ended = false;
  bool trailing = false;  // bytes that open no member followed: everything after is ignored
};

namespace {
// A 32 KiB window; a gzip or a zlib header is recognised automatically.
constexpr int kAutomaticHeaderWindowBits = 47;
constexpr std::size_t kMinimumOutput = 256;
// zlib counts in 32 bits; larger inputs are fed in slices.
constexpr std::size_t kMaximumSlice = std::size_t{1} << 30;
constexpr std::uint8_t kGzipMagic = 0x1f;
}  // namespace

std::unique_ptr<DataDecompressor> DataDecompressor::decompressor() {
  auto decompressor = std::make_unique<DataDecompressor>();
  (void)decompressor->setupStream();  // a failed setup leaves it not ready; uncompressBytes then reports it
  return decompressor;
}

DataDecompressor::DataDecompressor() : zStream_(std::make_unique<ZStream>()) {}

DataDecompressor::~DataDecompressor() { (void)closeStream(); }

foundation::Status DataDecompressor::setupStream() {
  if (streamReady_) return {};
  *zStream_ = ZStream{};
  int status = inflateInit2(&zStream_->stream, kAutomaticHeaderWindowBits);
  if (status != Z_OK) return inflateErrorWithCode(status);
  streamReady_ = true;
  return {};
}

foundation::Status DataDecompressor::closeStream() {
  if (!streamReady_) return {};
  streamReady_ = false;
  int status = inflateEnd(&zStream_->stream);
  if (status != Z_OK) return inflateErrorWithCode(status);
  return {};
}

foundation::Result<foundation::Bytes> DataDecompressor::uncompressBytes(const std::uint8_t* bytes, std::size_t length) {
  foundation::Bytes output;
  auto status = uncompressBytesAppending(bytes, length, output);
  if (!status.ok()) return status.error();
  return output;
}

foundation::Status DataDecompressor::uncompressBytesAppending(const std::uint8_t* bytes, std::size_t length,
                                                              foundation::Bytes& output) {
  if (length == 0) return {};
  if (!streamReady_) return inflateErrorWithCode(Z_STREAM_ERROR);
  z_stream& stream = zStream_->stream;
  const std::uint8_t* unread = bytes;
  std::size_t remaining = length;
  const std::size_t originalSize = output.size();
  std::size_t produced = originalSize;
  output.resize(produced + std::max(length + length / 2, kMinimumOutput));
  for (;;) {
    if (stream.avail_in == 0 && remaining > 0) {
      std::size_t slice = std::min(remaining, kMaximumSlice);
      stream.next_in = const_cast<Bytef*>(unread);
      stream.avail_in = static_cast<uInt>(slice);
      unread += slice;
      remaining -= slice;
    }
    if (zStream_->ended && (stream.avail_in == 0 || !startsNextMember(*stream.next_in))) break;
    if (produced == output.size()) output.resize(output.size() * 2);
    stream.next_out = output.data() + produced;
    stream.avail_out = static_cast<uInt>(std::min(output.size() - produced, kMaximumSlice));
    std::size_t room = stream.avail_out;
    int status = inflate(&stream, Z_NO_FLUSH);
    produced += room - stream.avail_out;
    if (status == Z_STREAM_END) {
      zStream_->ended = true;
      continue;
    }
    // Z_BUF_ERROR: nothing more can be done with what was given, as with data cut short.
    if (status != Z_OK && status != Z_BUF_ERROR) {
      output.resize(originalSize);
      return inflateErrorWithCode(status);
    }
    // Input used up and room left over: inflate holds no pending output.
    if (stream.avail_in == 0 && remaining == 0 && stream.avail_out != 0) break;
    if (status == Z_BUF_ERROR && stream.avail_out != 0) break;
  }
  output.resize(produced);
  stream.next_in = nullptr;
  stream.avail_in = 0;
  return {};
}

bool DataDecompressor::startsNextMember(std::uint8_t firstByte) {
  if (zStream_->trailing || firstByte != kGzipMagic) {
    zStream_->trailing = true;
    return false;
  }
  // A gzip body may hold several members one after another; each is part of the body.
  if (inflateReset(&zStream_->stream) != Z_OK) return false;
  zStream_->ended = false;
  return true;
}

foundation::Result<foundation::Bytes> DataDecompressor::uncompressData(const foundation::Bytes& bytes) {
  auto decompressor = DataDecompressor::decompressor();
  auto result = decompressor->uncompressBytes(bytes.data(), bytes.size());
  if (!result.ok()) return result;
  auto closed = decompressor->closeStream();
  if (!closed.ok()) return closed.error();
  return result;
}

foundation::Status DataDecompressor::uncompressDataFromFile(const std::string& sourcePath,
                                                            const std::string& destinationPath) {
  auto decompressor = DataDecompressor::decompressor();
  GzipFileSteps steps{
      "Decompression",
      [&](const std::uint8_t* bytes, std::size_t length, bool) { return decompressor->uncompressBytes(bytes, length); },
      [&] { return decompressor->closeStream(); },
  };
  return transformGzipFile(sourcePath, destinationPath, steps);
}

foundation::ErrorPtr DataDecompressor::inflateErrorWithCode(int code) {
  return makeRequestError(HTTPRequestErrorCode::compression,
                          "Decompression of data failed with code " + std::to_string(code));
}

}  // namespace http
