#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace http {

// Reads gzip or zlib data, chunk by chunk as a response arrives, in one go, or file to file.
// One thread at a time.
class DataDecompressor {
 public:
  // Any thread. A new decompressor whose stream is already set up.
  static std::unique_ptr<DataDecompressor> decompressor();

  DataDecompressor();
  ~DataDecompressor();
  DataDecompressor(const DataDecompressor&) = delete;
  DataDecompressor& operator=(const DataDecompressor&) = delete;

  // Owner's thread. Initialises the inflate stream (gzip or zlib header) when it is not ready.
  foundation::Status setupStream();
  // Owner's thread. Ends the inflate stream when it is ready.
  foundation::Status closeStream();
  // Owner's thread; requires a ready stream. Inflates one chunk of a stream fed in order; data
  // cut short yields what could be inflated so far, corrupt data an error.
  foundation::Result<foundation::Bytes> uncompressBytes(const std::uint8_t* bytes, std::size_t length);
  // Owner's thread; as uncompressBytes, appending to `output` (reusing its capacity); on an error
  // `output` is left as it was.
  foundation::Status uncompressBytesAppending(const std::uint8_t* bytes, std::size_t length, foundation::Bytes& output);
  bool streamReady() const { return streamReady_; }

  // Any thread. The inflated form of a whole gzip or zlib body.
  static foundation::Result<foundation::Bytes> uncompressData(const foundation::Bytes& bytes);
  // Any thread. Inflates the file at `sourcePath` into `destinationPath` (replaced), in chunks.
  static foundation::Status uncompressDataFromFile(const std::string& sourcePath, const std::string& destinationPath);
  // Any thread. The codec error for a failing zlib code.
  static foundation::ErrorPtr inflateErrorWithCode(int code);

 private:
  struct ZStream;
  // After a member's end: whether the next bytes (starting with `firstByte`) open another gzip
  // member, in which case the stream is made ready for it.
  bool startsNextMember(std::uint8_t firstByte);

  std::unique_ptr<ZStream> zStream_;
  bool streamReady_ = false;
};

}  // namespace http
