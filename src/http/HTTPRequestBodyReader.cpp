// Reading the response body into memory, into the delegate, or into a (resumed) download file.
#include <charconv>
#include <vector>

#include "platform/foundation/ExitTimeDestructor.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Uuid.h"
#include "platform/net/HTTPReadStream.h"
#include "src/http/BandwidthThrottle.h"
#include "src/http/DataDecompressor.h"
#include "src/http/HTTPRequest.h"
#include "src/http/HeaderDictionary.h"

namespace http {
namespace {

constexpr std::size_t kLargestChunk = 262144;

// The first byte position of a "Content-Range: bytes S-E/T" header.
std::optional<std::uint64_t> rangeStart(const std::string& contentRange) {
  constexpr std::string_view kUnit = "bytes ";
  if (contentRange.rfind(kUnit, 0) != 0) return std::nullopt;
  const char* begin = contentRange.data() + kUnit.size();
  const char* end = contentRange.data() + contentRange.size();
  std::uint64_t start = 0;
  auto [next, status] = std::from_chars(begin, end, start);
  if (status != std::errc() || next == begin || next == end || *next != '-') return std::nullopt;
  return start;
}

std::string uniqueTemporaryPath() {
  return foundation::Paths::appendingPathComponent(foundation::Paths::temporaryDirectory(),
                                                   foundation::newUuidString());
}

foundation::ErrorPtr writeError(const std::string& path, foundation::ErrorPtr underlying) {
  return makeRequestError(HTTPRequestErrorCode::fileManagement, "Failed to write to file at path '" + path + "'",
                          std::move(underlying));
}

}  // namespace

std::size_t HTTPRequest::readChunkSize() const {
  std::size_t chunk = contentLength_ > 262144 ? 262144 : contentLength_ > 65536 ? 65536 : 16384;
  auto& throttle = BandwidthThrottle::shared();
  if (!throttle.isBandwidthThrottled()) return chunk;
  return static_cast<std::size_t>(std::min<std::uint64_t>(throttle.maxDownloadReadLength(), chunk));
}

void HTTPRequest::handleBytesAvailable() {
  if (!headersRead_) readResponseHeaders();
  // Freed as its thread ends; the network thread, which reads every response, runs until the
  // process ends.
  ZR_EXIT_TIME_DESTRUCTOR_ALLOWED_BEGIN
  thread_local std::vector<std::uint8_t> buffer(kLargestChunk);
  ZR_EXIT_TIME_DESTRUCTOR_ALLOWED_END
  while (!complete_ && readStream_ && readStream_->hasBytesAvailable()) {
    long long count = readStream_->read(buffer.data(), readChunkSize());
    if (count < 0) {
      handleStreamError();
      return;
    }
    if (count == 0) return;
    BandwidthThrottle::shared().incrementBandwidthUsedInLastSecond(static_cast<std::uint64_t>(count));
    if (auto stored = storeChunk(buffer.data(), static_cast<std::size_t>(count)); !stored.ok()) {
      failAfterChunk(stored.error());
      return;
    }
    // A throttled stream takes one chunk per event, so that the throttle can hold it in between.
    if (BandwidthThrottle::shared().isBandwidthThrottled()) return;
  }
}

void HTTPRequest::failAfterChunk(foundation::ErrorPtr error) {
  if (isRequestError(error, HTTPRequestErrorCode::compression)) {
    // A body that cannot be inflated fails like a time-out: the failure comes first, so the bytes
    // received and the partial file stay (the inflated partial file goes, as ever).
    failWithError(std::move(error));
    cancelLoad();
    return;
  }
  // A file that cannot be written or continued is dropped like that of a failed connection.
  cancelLoad();
  failWithError(std::move(error));
}

foundation::Status HTTPRequest::storeChunk(const std::uint8_t* bytes, std::size_t length) {
  std::optional<foundation::Bytes> inflated;
  if (isResponseCompressedLocked() && !shouldWaitToInflateCompressedResponses_) {
    if (!dataDecompressor_) dataDecompressor_ = DataDecompressor::decompressor();
    auto result = dataDecompressor_->uncompressBytes(bytes, length);
    if (!result.ok()) return result.error();
    inflated = std::move(*result);
  }
  totalBytesRead_ += length;
  lastActivityTime_ = foundation::Clock::current().now();
  // With resume allowed, a redirect's body must not land in the partial file of the next location.
  if (needsRedirect_ && settings_.shouldRedirect && settings_.allowResumeForFileDownloads) return {};

  if (hasDataReceiver()) {
    passOnReceivedData(inflated ? std::move(*inflated) : foundation::Bytes(bytes, bytes + length));
  } else if (!isFileDownload()) {
    const std::size_t adding = inflated ? inflated->size() : length;
    if (settings_.maxResponseDataSize != 0 && rawResponseData_.size() + adding > settings_.maxResponseDataSize) {
      rawResponseData_ = {};
      return makeRequestError(
          HTTPRequestErrorCode::responseTooLarge,
          "The reply is larger than the " + std::to_string(settings_.maxResponseDataSize >> 20) + " MiB it may take");
    }
    if (inflated) {
      rawResponseData_.insert(rawResponseData_.end(), inflated->begin(), inflated->end());
    } else {
      rawResponseData_.insert(rawResponseData_.end(), bytes, bytes + length);
    }
  } else {
    return writeChunkToFile(bytes, length, inflated ? &*inflated : nullptr);
  }
  return {};
}

foundation::Status HTTPRequest::writeChunkToFile(const std::uint8_t* bytes, std::size_t length,
                                                 const foundation::Bytes* inflated) {
  if (!fileOutputOpened_) {
    if (auto opened = openDownloadFile(); !opened.ok()) return opened;
  }
  if (replyCompletesPartialFile_) return {};
  if (auto written = fileDownloadOutputStream_->write({bytes, length}); !written.ok()) {
    return writeError(settings_.temporaryFileDownloadPath, written.error());
  }
  if (!inflated) return {};
  if (!inflatedFileDownloadOutputStream_) {
    if (temporaryUncompressedDataDownloadPath_.empty()) temporaryUncompressedDataDownloadPath_ = uniqueTemporaryPath();
    auto mode = partialDownloadSize_ != 0 ? foundation::OutputFileStream::Mode::Append
                                          : foundation::OutputFileStream::Mode::Truncate;
    auto opened = foundation::OutputFileStream::open(temporaryUncompressedDataDownloadPath_, mode);
    if (!opened.ok()) return writeError(temporaryUncompressedDataDownloadPath_, opened.error());
    inflatedFileDownloadOutputStream_.emplace(std::move(*opened));
  }
  if (auto written = inflatedFileDownloadOutputStream_->write(*inflated); !written.ok()) {
    return writeError(temporaryUncompressedDataDownloadPath_, written.error());
  }
  return {};
}

foundation::Status HTTPRequest::openDownloadFile() {
  fileOutputOpened_ = true;
  bool append = false;
  if (settings_.temporaryFileDownloadPath.empty()) {
    settings_.temporaryFileDownloadPath = uniqueTemporaryPath();
  } else if (settings_.allowResumeForFileDownloads && sentRangeStart_ != 0) {
    // Only a 206 that continues exactly where the partial file ends may be appended to it.
    auto contentRange = headerValue(responseHeaders_, "Content-Range");
    auto start = contentRange ? rangeStart(*contentRange) : std::nullopt;
    if (responseStatusCode_ == 206 && start == sentRangeStart_ && partialDownloadSize_ == sentRangeStart_) {
      append = true;
    } else if (responseStatusCode_ == 200) {
      // The server sent the whole body again: start the file over.
      incrementDownloadSizeBy(-static_cast<std::int64_t>(partialDownloadSize_));
      partialDownloadSize_ = 0;
    } else if (auto refused = judgeRefusedRange(); refused == RefusedRange::partialIsComplete) {
      // The partial file already holds the whole body: the reply's own body is not part of it.
      replyCompletesPartialFile_ = true;
      return {};
    } else {
      auto error = makeRequestError(HTTPRequestErrorCode::fileManagement,
                                    "The reply (status " + std::to_string(responseStatusCode_) +
                                        ") does not continue the partial file at path '" +
                                        settings_.temporaryFileDownloadPath + "'");
      // A refused range may be a passing fault: the partial file waits for the next attempt.
      if (refused == RefusedRange::partialIsKept) return error;
      // The partial file cannot be continued: the next attempt starts afresh.
      (void)removeFileAtPath(settings_.temporaryFileDownloadPath);
      (void)removeFileAtPath(resumeValidatorPath());
      partialDownloadSize_ = 0;
      return error;
    }
  }
  if (!append) rememberResumeValidator();
  auto mode = append ? foundation::OutputFileStream::Mode::Append : foundation::OutputFileStream::Mode::Truncate;
  auto opened = foundation::OutputFileStream::open(settings_.temporaryFileDownloadPath, mode);
  if (!opened.ok()) return writeError(settings_.temporaryFileDownloadPath, opened.error());
  fileDownloadOutputStream_.emplace(std::move(*opened));
  return {};
}

}  // namespace http
