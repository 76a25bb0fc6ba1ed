#include "platform/net/InputStream.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace net {
namespace {

class BytesInputStream final : public InputStream {
 public:
  explicit BytesInputStream(foundation::Bytes bytes) : bytes_(std::move(bytes)) {}

  foundation::Status open() override { return foundation::Status::success(); }

  long long read(std::uint8_t* buffer, std::size_t maxLength) override {
    const std::size_t count = std::min(maxLength, bytes_.size() - offset_);
    if (count > 0) std::memcpy(buffer, bytes_.data() + offset_, count);
    offset_ += count;
    return static_cast<long long>(count);
  }

  void close() override {}
  foundation::ErrorPtr error() const override { return nullptr; }

 private:
  foundation::Bytes bytes_;
  std::size_t offset_ = 0;
};

class FileInputStream final : public InputStream {
 public:
  explicit FileInputStream(std::string path) : path_(std::move(path)) {}
  ~FileInputStream() override { close(); }

  foundation::Status open() override {
    if (file_) return foundation::Status::success();
    file_ = std::fopen(path_.c_str(), "rb");
    if (!file_) {
      error_ = foundation::posixError(errno, "Cannot open '" + path_ + "'");
      return error_;
    }
    return foundation::Status::success();
  }

  long long read(std::uint8_t* buffer, std::size_t maxLength) override {
    if (!file_) {
      error_ = foundation::posixError(EBADF, "Reading '" + path_ + "' before it was opened");
      return -1;
    }
    const std::size_t count = std::fread(buffer, 1, maxLength, file_);
    if (count == 0 && std::ferror(file_)) {
      error_ = foundation::posixError(errno, "Cannot read '" + path_ + "'");
      return -1;
    }
    return static_cast<long long>(count);
  }

  void close() override {
    if (file_) std::fclose(file_);
    file_ = nullptr;
  }

  foundation::ErrorPtr error() const override { return error_; }

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
  foundation::ErrorPtr error_;
};

}  // namespace

std::shared_ptr<InputStream> InputStream::withBytes(foundation::Bytes bytes) {
  return std::make_shared<BytesInputStream>(std::move(bytes));
}

std::shared_ptr<InputStream> InputStream::withFileAtPath(std::string path) {
  return std::make_shared<FileInputStream>(std::move(path));
}

}  // namespace net
