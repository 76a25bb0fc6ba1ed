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
  if (!settings_.shouldStreamPostDataFromDisk) return;
  if (settings_.postBodyFilePath.empty()) {
    settings_.postBodyFilePath = uniqueTemporaryPath();
    didCreateTemporaryPostDataFile_ = true;
  }
  if (postBodyWriteStream_ || postBodyWriteError_) return;
  auto opened =
      foundation::OutputFileStream::open(settings_.postBodyFilePath, foundation::OutputFileStream::Mode::Truncate);
  if (opened.ok()) {
    postBodyWriteStream_.emplace(std::move(*opened));
  } else {
    postBodyWriteError_ = opened.error();
  }
}

void HTTPRequest::appendPostBytes(const std::uint8_t* bytes, std::size_t length) {
  if (length == 0) return;
  if (!settings_.shouldStreamPostDataFromDisk) {
    settings_.postBody.insert(settings_.postBody.end(), bytes, bytes + length);
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
  if (settings_.shouldStreamPostDataFromDisk) {
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
  return settings_.postBody;
}

void HTTPRequest::setPostBody(foundation::Bytes body) {
  Lock lock(cancelledLock_);
  settings_.postBody = std::move(body);
}

void HTTPRequest::setShouldStreamPostDataFromDisk(bool stream) {
  Lock lock(cancelledLock_);
  settings_.shouldStreamPostDataFromDisk = stream;
}

void HTTPRequest::setPostBodyFilePath(const std::string& path) {
  Lock lock(cancelledLock_);
  settings_.postBodyFilePath = path;
}

bool HTTPRequest::shouldCompressRequestBody() const { return lockedCopy(settings_.shouldCompressRequestBody); }

void HTTPRequest::setShouldCompressRequestBody(bool compress) {
  Lock lock(cancelledLock_);
  settings_.shouldCompressRequestBody = compress;
}

bool HTTPRequest::haveBuiltPostBody() const { return lockedCopy(settings_.haveBuiltPostBody); }

void HTTPRequest::buildPostBody() {
  if (settings_.haveBuiltPostBody) return;
  if (!settings_.postBodyFilePath.empty()) {
    if (postBodyWriteStream_) {
      if (auto closed = postBodyWriteStream_->close(); !closed.ok() && !postBodyWriteError_) {
        postBodyWriteError_ = closed.error();
      }
      postBodyWriteStream_.reset();
    }
    if (postBodyWriteError_) {
      failWithError(makeRequestError(HTTPRequestErrorCode::fileManagement,
                                     "Failed to write to file at path '" + settings_.postBodyFilePath + "'",
                                     postBodyWriteError_));
      return;
    }
    if (settings_.shouldCompressRequestBody && compressedPostBodyFilePath_.empty()) {
      compressedPostBodyFilePath_ = uniqueTemporaryPath();
      if (auto compressed =
              DataCompressor::compressDataFromFile(settings_.postBodyFilePath, compressedPostBodyFilePath_);
          !compressed.ok()) {
        failWithError(compressed.error());
        return;
      }
    }
    const std::string& sent =
        settings_.shouldCompressRequestBody ? compressedPostBodyFilePath_ : settings_.postBodyFilePath;
    auto size = foundation::FileManager::fileSize(sent);
    if (!size.ok()) {
      failWithError(makeRequestError(HTTPRequestErrorCode::fileManagement,
                                     "Failed to get attributes for file at path '" + sent + "'", size.error()));
      return;
    }
    settings_.postLength = *size;
  } else if (settings_.shouldCompressRequestBody && !settings_.postBody.empty()) {
    auto compressed = DataCompressor::compressData(settings_.postBody);
    if (!compressed.ok()) {
      failWithError(compressed.error());
      return;
    }
    settings_.compressedPostBody = std::move(*compressed);
    settings_.postLength = settings_.compressedPostBody.size();
  } else {
    settings_.postLength = settings_.postBody.size();
  }
  if (settings_.postLength != 0) {
    if (settings_.requestMethod == "GET" || settings_.requestMethod == "DELETE" || settings_.requestMethod == "HEAD")
      setRequestMethod("POST");
    settings_.requestHeaders.set("Content-Length", std::to_string(settings_.postLength));
  }
  settings_.haveBuiltPostBody = true;
}

std::shared_ptr<net::InputStream> HTTPRequest::makePostBodyStream() {
  if (settings_.shouldStreamPostDataFromDisk && foundation::FileManager::fileExists(settings_.postBodyFilePath)) {
    bool useCompressed =
        !compressedPostBodyFilePath_.empty() && foundation::FileManager::fileExists(compressedPostBodyFilePath_);
    return InputStream::inputStreamWithFileAtPath(
        useCompressed ? compressedPostBodyFilePath_ : settings_.postBodyFilePath, self());
  }
  if (settings_.postBody.empty()) return nullptr;
  bool useCompressed = settings_.shouldCompressRequestBody && !settings_.compressedPostBody.empty();
  return InputStream::inputStreamWithData(useCompressed ? settings_.compressedPostBody : settings_.postBody, self());
}

foundation::Status HTTPRequest::removeTemporaryUploadFiles() {
  foundation::Status result;
  for (auto* path : {&settings_.postBodyFilePath, &compressedPostBodyFilePath_}) {
    if (path->empty()) continue;
    if (auto removed = removeFileAtPath(*path); !removed.ok() && result.ok()) result = removed;
    path->clear();
  }
  return result;
}

}  // namespace http
