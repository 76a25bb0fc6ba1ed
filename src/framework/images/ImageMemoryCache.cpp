#include "src/framework/images/ImageMemoryCache.h"

namespace framework {

ImageMemoryCache::ImageMemoryCache(std::size_t costLimit) : costLimit_(costLimit) {}

ui::ImagePtr ImageMemoryCache::get(const std::string& key) {
  std::lock_guard lock(mutex_);
  auto found = index_.find(key);
  if (found == index_.end()) return nullptr;
  order_.splice(order_.begin(), order_, found->second);
  return found->second->image;
}

bool ImageMemoryCache::contains(const std::string& key) const {
  std::lock_guard lock(mutex_);
  return index_.contains(key);
}

void ImageMemoryCache::put(const std::string& key, ui::ImagePtr image) {
  if (!image) return;
  std::size_t cost = costOf(*image);
  std::lock_guard lock(mutex_);
  if (auto found = index_.find(key); found != index_.end()) remove(found->second);
  if (costLimit_ != 0 && cost > costLimit_) return;  // it would only push everything else out
  order_.push_front(Entry{key, std::move(image), cost});
  index_.emplace(key, order_.begin());
  totalCost_ += cost;
  evictToFit();
}

void ImageMemoryCache::clear() {
  // The pictures are let go outside the lock: freeing large pixel buffers takes a while.
  Order dropped;
  {
    std::lock_guard lock(mutex_);
    dropped.swap(order_);
    index_.clear();
    totalCost_ = 0;
  }
}

void ImageMemoryCache::setCostLimit(std::size_t costLimit) {
  std::lock_guard lock(mutex_);
  costLimit_ = costLimit;
  evictToFit();
}

std::size_t ImageMemoryCache::costLimit() const {
  std::lock_guard lock(mutex_);
  return costLimit_;
}

std::size_t ImageMemoryCache::totalCost() const {
  std::lock_guard lock(mutex_);
  return totalCost_;
}

std::size_t ImageMemoryCache::count() const {
  std::lock_guard lock(mutex_);
  return order_.size();
}

// From the sizes rather than the pixels, which a picture may not have decoded yet.
std::size_t ImageMemoryCache::costOf(const ui::Image& image) {
  return static_cast<std::size_t>(image.pixelWidth()) * static_cast<std::size_t>(image.pixelHeight()) *
         sizeof(std::uint32_t);
}

void ImageMemoryCache::evictToFit() {
  if (costLimit_ == 0) return;
  while (totalCost_ > costLimit_ && !order_.empty()) remove(std::prev(order_.end()));
}

void ImageMemoryCache::remove(Order::iterator entry) {
  totalCost_ -= entry->cost;
  index_.erase(entry->key);
  order_.erase(entry);
}

}  // namespace framework
