#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/Result.h"

namespace net {

// A further certificate a client sends after its identity (an intermediate of its chain), read
// from a PEM file on first use like the identity.
class Certificate {
 public:
  // Any thread.
  static std::shared_ptr<const Certificate> fromPEMFile(std::string path);
  ~Certificate();
  Certificate(const Certificate&) = delete;
  Certificate& operator=(const Certificate&) = delete;

  // Any thread. Reads the file unless it was read before; the outcome of the first reading.
  foundation::Status load() const;
  std::uint64_t serial() const;

  struct Impl;
  const Impl& impl() const { return *impl_; }

 private:
  Certificate();
  std::unique_ptr<Impl> impl_;
};

}  // namespace net
