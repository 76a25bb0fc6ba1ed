#include "platform/net/Certificate.h"

#include "platform/net/ClientCredentialFiles.h"

namespace net {

std::shared_ptr<const Certificate> Certificate::fromPEMFile(std::string path) {
  std::shared_ptr<Certificate> certificate(new Certificate());
  certificate->impl_->path = std::move(path);
  return certificate;
}

Certificate::Certificate() : impl_(std::make_unique<Impl>()) { impl_->serial = nextCredentialSerial(); }
Certificate::~Certificate() = default;

foundation::Status Certificate::load() const {
  std::call_once(impl_->once, [impl = impl_.get()] { impl->outcome = impl->read(); });
  return impl_->outcome;
}

std::uint64_t Certificate::serial() const { return impl_->serial; }

foundation::Status Certificate::Impl::read() {
  auto text = readCredentialFile(path);
  if (!text) return text.error();
  auto certificates = readPEMCertificates(*text);
  if (certificates.empty()) return clientCredentialError("'" + path + "' holds no PEM certificate");
  certificate = std::move(certificates.front());
  return foundation::Status::success();
}

}  // namespace net
