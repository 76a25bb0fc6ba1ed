#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace http {

// Writes gzip data (one member per stream) for request bodies. One thread at a time.
class DataCompressor {
 public:
  // Any thread. A new compressor whose stream is already set up.
  static std::unique_ptr<DataCompressor> compressor();

  DataCompressor();
  ~DataCompressor();
  DataCompressor(const DataCompressor&) = delete;
  DataCompressor& operator=(const DataCompressor&) = delete;

  // Owner's thread. Initialises the deflate stream when it is not ready yet.
  foundation::Status setupStream();
  // Owner's thread. Ends the deflate stream when it is ready.
  foundation::Status closeStream();
  // Owner's thread; requires a ready stream. Compresses one chunk; `shouldFinish` on the last
  // chunk ends the gzip member. An empty chunk produces no bytes.
  foundation::Result<foundation::Bytes> compressBytes(const std::uint8_t* bytes, std::size_t length, bool shouldFinish);
  bool streamReady() const { return streamReady_; }

  // Any thread. The whole gzip form of `bytes`.
  static foundation::Result<foundation::Bytes> compressData(const foundation::Bytes& bytes);
  // Any thread. Gzips the file at `sourcePath` into `destinationPath` (replaced), in chunks.
  static foundation::Status compressDataFromFile(const std::string& sourcePath, const std::string& destinationPath);
  // Any thread. The codec error for a failing zlib code.
  static foundation::ErrorPtr deflateErrorWithCode(int code);

 private:
  struct ZStream;
  std::unique_ptr<ZStream> zStream_;
  bool streamReady_ = false;
};

}  // namespace http
