#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/foundation/Operation.h"
#include "platform/foundation/Value.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/Image.h"

namespace http {
class HTTPRequest;
}

namespace framework {

class QRVImageCacheManager;
class QRVImageDataOperation;

// Hears the picture a fetch produced. Main thread.
class QRVImageDataOperationDelegate {
 public:
  virtual ~QRVImageDataOperationDelegate() = default;
  // Main thread. The fetch's picture, already fitted to its target size when it has one. Not
  // called once the fetch was cancelled or its delegate cleared.
  virtual void imageDataOperation(QRVImageDataOperation& operation, const std::string& loadedWithUrl,
                                  const ui::ImagePtr& withImage) = 0;
};

// One picture fetch on the image cache manager's queue: from the caches (memory, then file), else
// from the network (http and https URLs, read with a time-out) or from a local file, whose bytes
// are then stored in the caches. Only one fetch at a time reads a given URL's source; the others
// wait for it and find the picture cached. Accessors may be called from any thread.
class QRVImageDataOperation : public foundation::Operation {
 public:
  static constexpr double kNetworkTimeOutSeconds = 20.0;

  // Any thread. A fetch for the shared image cache manager; the delegate is not retained.
  static std::shared_ptr<QRVImageDataOperation> create(std::string imageUrl,
                                                       std::weak_ptr<QRVImageDataOperationDelegate> delegate);

  // Any thread.
  const std::string& imageUrl() const { return imageUrl_; }
  std::shared_ptr<QRVImageDataOperationDelegate> delegate() const;
  void setDelegate(std::weak_ptr<QRVImageDataOperationDelegate> delegate);
  // Any thread, before the fetch runs. Both sides above 0: the picture is fitted into this size.
  ui::Size targetSize() const;
  void setTargetSize(ui::Size size);

  // Any thread. Cancels the fetch (a network read under way included) and clears the delegate.
  void cancel() override;
  // A queue thread.
  void main() override;

 private:
  QRVImageDataOperation(std::string imageUrl, std::weak_ptr<QRVImageDataOperationDelegate> delegate,
                        QRVImageCacheManager& manager);

  ui::ImagePtr loadImage();
  ui::ImagePtr loadFromSource();
  std::optional<foundation::Bytes> readSource();
  std::optional<foundation::Bytes> readFromNetwork();
  void deliver(ui::ImagePtr image);

  const std::string imageUrl_;
  QRVImageCacheManager& manager_;

  mutable std::mutex mutex_;  // guards the fields below
  std::weak_ptr<QRVImageDataOperationDelegate> delegate_;
  ui::Size targetSize_;
  std::shared_ptr<http::HTTPRequest> request_;  // the network read under way
};

}  // namespace framework
