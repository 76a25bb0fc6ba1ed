// Resuming a download: the validator kept beside the partial file and replies that end a resume.
#include <charconv>

#include "platform/foundation/FileManager.h"
#include "src/http/HTTPRequest.h"
#include "src/http/HeaderDictionary.h"

namespace http {
namespace {

// The complete length of a "Content-Range: bytes */N" header (a refused range).
std::optional<std::uint64_t> unsatisfiedRangeLength(const std::optional<std::string>& contentRange) {
  constexpr std::string_view kPrefix = "bytes */";
  if (!contentRange || contentRange->rfind(kPrefix, 0) != 0) return std::nullopt;
  const char* begin = contentRange->data() + kPrefix.size();
  const char* end = contentRange->data() + contentRange->size();
  std::uint64_t length = 0;
  auto [next, status] = std::from_chars(begin, end, length);
  if (status != std::errc() || next == begin || next != end) return std::nullopt;
  return length;
}

}  // namespace

std::string HTTPRequest::resumeValidatorPath() const { return settings_.temporaryFileDownloadPath + ".validator"; }

std::optional<std::string> HTTPRequest::storedResumeValidator() const {
  if (!settings_.allowResumeForFileDownloads || partialDownloadSize_ == 0) return std::nullopt;
  auto text = foundation::FileManager::readTextFile(resumeValidatorPath());
  if (!text.ok() || text->empty()) return std::nullopt;
  return std::move(*text);
}

void HTTPRequest::rememberResumeValidator() {
  if (!settings_.allowResumeForFileDownloads) return;
  // A weak entity tag may not be used in If-Range; the modification date may.
  auto validator = headerValue(responseHeaders_, "ETag");
  if (validator && validator->rfind("W/", 0) == 0) validator.reset();
  if (!validator) validator = headerValue(responseHeaders_, "Last-Modified");
  // Without a validator on disk the next attempt asks for the rest unconditionally, as before.
  // The partial file itself is never flushed, so neither is its validator: a flush here would
  // hold up every transfer on the network thread.
  if (!validator || !foundation::FileManager::writeAtomicallyUnflushed(resumeValidatorPath(), *validator).ok()) {
    (void)removeFileAtPath(resumeValidatorPath());
  }
}

HTTPRequest::RefusedRange HTTPRequest::judgeRefusedRange() const {
  if (responseStatusCode_ != 416) return RefusedRange::notRefused;
  auto length = unsatisfiedRangeLength(headerValue(responseHeaders_, "Content-Range"));
  if (!length) return RefusedRange::partialIsKept;
  if (*length == partialDownloadSize_) return RefusedRange::partialIsComplete;
  // A partial file longer than the whole file cannot be part of it.
  return *length < partialDownloadSize_ ? RefusedRange::partialIsForeign : RefusedRange::partialIsKept;
}

}  // namespace http
