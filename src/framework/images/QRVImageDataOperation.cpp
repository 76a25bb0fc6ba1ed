#include "src/framework/images/QRVImageDataOperation.h"

#include <cctype>
#include <future>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/RunLoop.h"
#include "src/framework/images/ImageAdditions.h"
#include "src/framework/images/QRVImageCacheManager.h"
#include "src/http/HTTPRequest.h"

namespace framework {
namespace {

bool hasPrefixIgnoringCase(const std::string& text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

bool isNetworkUrl(const std::string& url) {
  return hasPrefixIgnoringCase(url, "http:") || hasPrefixIgnoringCase(url, "https:");
}

}  // namespace

std::shared_ptr<QRVImageDataOperation> QRVImageDataOperation::create(
    std::string imageUrl, std::weak_ptr<QRVImageDataOperationDelegate> delegate) {
  return std::shared_ptr<QRVImageDataOperation>(
      new QRVImageDataOperation(std::move(imageUrl), std::move(delegate), QRVImageCacheManager::sharedManager()));
}

QRVImageDataOperation::QRVImageDataOperation(std::string imageUrl,
                                             std::weak_ptr<QRVImageDataOperationDelegate> delegate,
                                             QRVImageCacheManager& manager)
    : imageUrl_(std::move(imageUrl)), manager_(manager), delegate_(std::move(delegate)) {}

std::shared_ptr<QRVImageDataOperationDelegate> QRVImageDataOperation::delegate() const {
  std::lock_guard lock(mutex_);
  return delegate_.lock();
}

void QRVImageDataOperation::setDelegate(std::weak_ptr<QRVImageDataOperationDelegate> delegate) {
  std::lock_guard lock(mutex_);
  delegate_ = std::move(delegate);
}

ui::Size QRVImageDataOperation::targetSize() const {
  std::lock_guard lock(mutex_);
  return targetSize_;
}

void QRVImageDataOperation::setTargetSize(ui::Size size) {
  std::lock_guard lock(mutex_);
  targetSize_ = size;
}

void QRVImageDataOperation::cancel() {
  std::shared_ptr<http::HTTPRequest> request;
  {
    std::lock_guard lock(mutex_);
    delegate_.reset();
    request = request_;
  }
  Operation::cancel();
  if (request) request->cancel();
}

void QRVImageDataOperation::main() {
  if (isCancelled()) return;
  ui::ImagePtr image = loadImage();
  if (!image || isCancelled()) return;
  ui::Size target = targetSize();
  if (target.width > 0 && target.height > 0) image = image_additions::imageFitInSize(*image, target);
  if (image) deliver(std::move(image));
}

ui::ImagePtr QRVImageDataOperation::loadImage() {
  if (ui::ImagePtr cached = manager_.getImageFromCacheWithUrl(imageUrl_)) return cached;
  // One fetch per picture: whoever waited here finds what the fetch before it stored.
  KeyedLocks::Guard fetching = manager_.loadingLocks().lock(QRVImageCacheManager::getKeyFromUrl(imageUrl_));
  if (ui::ImagePtr cached = manager_.getImageFromCacheWithUrl(imageUrl_)) return cached;
  if (isCancelled()) return nullptr;
  return loadFromSource();
}

ui::ImagePtr QRVImageDataOperation::loadFromSource() {
  std::optional<foundation::Bytes> bytes = readSource();
  if (!bytes) return nullptr;
  foundation::Result<ui::ImagePtr> image = ui::Image::decode(*bytes);
  if (!image.ok()) return nullptr;
  // A file that cannot be written costs only the disk copy: the picture is still in memory.
  (void)manager_.saveImage(*image, *bytes, imageUrl_);
  return *image;
}

std::optional<foundation::Bytes> QRVImageDataOperation::readSource() {
  if (isNetworkUrl(imageUrl_)) return readFromNetwork();
  foundation::Result<foundation::Bytes> file = foundation::FileManager::readFile(imageUrl_);
  if (!file.ok()) return std::nullopt;
  return std::move(file).value();
}

// Runs the request on the engine's network thread and waits for it on this queue thread; the
// request has no delegate or block, so nothing of it runs on the main thread.
std::optional<foundation::Bytes> QRVImageDataOperation::readFromNetwork() {
  auto request = http::HTTPRequest::requestWithURL(imageUrl_);
  request->setTimeOutSeconds(kNetworkTimeOutSeconds);
  auto finished = std::make_shared<std::promise<void>>();
  std::future<void> done = finished->get_future();
  request->setCompletionHandler([finished] { finished->set_value(); });
  {
    std::lock_guard lock(mutex_);
    if (isCancelled()) return std::nullopt;
    request_ = request;
  }
  request->start();
  done.wait();
  {
    std::lock_guard lock(mutex_);
    request_.reset();
  }
  int status = request->responseStatusCode();
  if (request->error() || status < 200 || status > 299) return std::nullopt;
  return request->responseData();
}

void QRVImageDataOperation::deliver(ui::ImagePtr image) {
  if (!delegate()) return;
  auto self = std::static_pointer_cast<QRVImageDataOperation>(shared_from_this());
  foundation::performOnMainThread([self, image = std::move(image)] {
    auto delegate = self->delegate();
    if (delegate && !self->isCancelled()) delegate->imageDataOperation(*self, self->imageUrl_, image);
  });
}

}  // namespace framework
