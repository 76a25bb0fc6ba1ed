// The request body: held in memory or written to a file, optionally gzipped, and the stream the
// connection reads it from.
#include <fstream>
#include <vector>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Uuid.h"
#include "src/http/DataCompressor.h"
#include "src/http/HTTPRequest.h"
#include "src/http/InputStream.h"

namespace http {
namespace {

constexpr std::size_t kFileChunk = 262144;

std::string uniqueTemporaryPath() {
  return foundation::Paths::appendingPathComponent(foundation::Paths::temporaryDirectory(),
                                                   foundation::newUuidString());
}

}  // namespace

void HTTPRequest::setupPostBody() {
  if (!shouldStreamPostDataFromDisk_) return;
  if (postBodyFilePath_.empty()) {
    postBodyFilePath_ = uniqueTemporaryPath();
    didCreateTemporaryPostDataFile_ = true;
  }
  if (postBodyWriteStream_ || postBodyWriteError_) return;
  auto opened = foundation::OutputFileStream::open(postBodyFilePath_, foundation::OutputFileStream::Mode::Truncate);
  if (opened.ok()) {
    postBodyWriteStream_.emplace(std::move(*opened));
  } else {
    postBodyWriteError_ = opened.error();
  }
}

void HTTPRequest::appendPostBytes(const std::uint8_t* bytes, std::size_t length) {
  if (length == 0) return;
  if (!shouldStreamPostDataFromDisk_) {
    postBody_.insert(postBody_.end(), bytes, bytes + length);
    return;
  }
  if (!postBodyWriteStream_) return;  // the open failure is reported when the body is built
  if (auto written = postBodyWriteStream_->write({bytes, length}); !written.ok() && !postBodyWriteError_) {
    postBodyWriteError_ = written.error();
  }
}

void HTTPRequest::appendPostData(const foundation::Bytes& data) {
  Lock lock(cancelledLock_);
  setupPostBody();
  appendPostBytes(data.data(), data.size());
}

void HTTPRequest::appendPostDataFromFile(const std::string& path) {
  Lock lock(cancelledLock_);
  setupPostBody();
  if (shouldStreamPostDataFromDisk_) {
    // File to file in the kernel: a large upload need not pass through this thread's memory.
    if (!postBodyWriteStream_) return;  // the open failure is reported when the body is built
    if (auto appended = postBodyWriteStream_->appendReadableContentsOfFile(path);
        !appended.ok() && !postBodyWriteError_) {
      postBodyWriteError_ = appended.error();
    }
    return;
  }
  std::ifstream file(path, std::ios::binary);
  std::vector<char> chunk(kFileChunk);
  while (file) {
    file.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    appendPostBytes(reinterpret_cast<const std::uint8_t*>(chunk.data()), static_cast<std::size_t>(file.gcount()));
  }
}

foundation::Bytes HTTPRequest::postBody() const {
  Lock lock(cancelledLock_);
  return postBody_;
}

void HTTPRequest::setPostBody(foundation::Bytes body) {
  Lock lock(cancelledLock_);
  postBody_ = std::move(body);
}

void HTTPRequest::setShouldStreamPostDataFromDisk(bool stream) {
  Lock lock(cancelledLock_);
  shouldStreamPostDataFromDisk_ = stream;
}

void HTTPRequest::setPostBodyFilePath(const std::string& path) {
  Lock lock(cancelledLock_);
  postBodyFilePath_ = path;
}

bool HTTPRequest::shouldCompressRequestBody() const { return lockedCopy(shouldCompressRequestBody_); }

void HTTPRequest::setShouldCompressRequestBody(bool compress) {
  Lock lock(cancelledLock_);
  shouldCompressRequestBody_ = compress;
}

bool HTTPRequest::haveBuiltPostBody() const { return lockedCopy(haveBuiltPostBody_); }

void HTTPRequest::buildPostBody() {
  if (haveBuiltPostBody_) return;
  if (!postBodyFilePath_.empty()) {
    if (postBodyWriteStream_) {
      if (auto closed = postBodyWriteStream_->close(); !closed.ok() && !postBodyWriteError_) {
        postBodyWriteError_ = closed.error();
      }
      postBodyWriteStream_.reset();
    }
    if (postBodyWriteError_) {
      failWithError(makeRequestError(HTTPRequestErrorCode::fileManagement,
                                     "Failed to write to file at path '" + postBodyFilePath_ + "'",
                                     postBodyWriteError_));
      return;
    }
    if (shouldCompressRequestBody_ && compressedPostBodyFilePath_.empty()) {
      compressedPostBodyFilePath_ = uniqueTemporaryPath();
      if (auto compressed = DataCompressor::compressDataFromFile(postBodyFilePath_, compressedPostBodyFilePath_);
          !compressed.ok()) {
        failWithError(compressed.error());
        return;
      }
    }
    const std::string& sent = shouldCompressRequestBody_ ? compressedPostBodyFilePath_ : postBodyFilePath_;
    auto size = foundation::FileManager::fileSize(sent);
    if (!size.ok()) {
      failWithError(makeRequestError(HTTPRequestErrorCode::fileManagement,
                                     "Failed to get attributes for file at path '" + sent + "'", size.error()));
      return;
    }
    postLength_ = *size;
  } else if (shouldCompressRequestBody_ && !postBody_.empty()) {
    auto compressed = DataCompressor::compressData(postBody_);
    if (!compressed.ok()) {
      failWithError(compressed.error());
      return;
    }
    compressedPostBody_ = std::move(*compressed);
    postLength_ = compressedPostBody_.size();
  } else {
    postLength_ = postBody_.size();
  }
  if (postLength_ != 0) {
    if (requestMethod_ == "GET" || requestMethod_ == "DELETE" || requestMethod_ == "HEAD") setRequestMethod("POST");
    requestHeaders_.set("Content-Length", std::to_string(postLength_));
  }
  haveBuiltPostBody_ = true;
}

std::shared_ptr<net::InputStream> HTTPRequest::makePostBodyStream() {
  if (shouldStreamPostDataFromDisk_ && foundation::FileManager::fileExists(postBodyFilePath_)) {
    bool useCompressed =
        !compressedPostBodyFilePath_.empty() && foundation::FileManager::fileExists(compressedPostBodyFilePath_);
    return InputStream::inputStreamWithFileAtPath(useCompressed ? compressedPostBodyFilePath_ : postBodyFilePath_,
                                                  self());
  }
  if (postBody_.empty()) return nullptr;
  bool useCompressed = shouldCompressRequestBody_ && !compressedPostBody_.empty();
  return InputStream::inputStreamWithData(useCompressed ? compressedPostBody_ : postBody_, self());
}

foundation::Status HTTPRequest::removeTemporaryUploadFiles() {
  foundation::Status result;
  for (auto* path : {&postBodyFilePath_, &compressedPostBodyFilePath_}) {
    if (path->empty()) continue;
    if (auto removed = removeFileAtPath(*path); !removed.ok() && result.ok()) result = removed;
    path->clear();
  }
  return result;
}

}  // namespace http
