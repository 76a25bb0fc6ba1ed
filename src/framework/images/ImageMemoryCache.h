#pragma once

#include <cstddef>
#include <list>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/ui/Image.h"

namespace framework {

// Decoded pictures by key, shared by the fetch threads and the main thread. The cost of a
// picture is the size of its pixels; with a limit set, the least recently used pictures leave
// until the rest fit (a picture larger than the whole limit is not kept). Any thread.
class ImageMemoryCache {
 public:
  // Any thread. 0 means no limit.
  explicit ImageMemoryCache(std::size_t costLimit = 0);

  // Any thread. The picture under the key, now the most recently used; nullptr when absent.
  ui::ImagePtr get(const std::string& key);
  // Any thread. Whether the key is present, without touching its use.
  bool contains(const std::string& key) const;
  // Any thread. Stores (or replaces) the picture as the most recently used; null pictures are ignored.
  void put(const std::string& key, ui::ImagePtr image);
  // Any thread.
  void clear();

  // Any thread. A lower limit evicts at once.
  void setCostLimit(std::size_t costLimit);
  std::size_t costLimit() const;
  std::size_t totalCost() const;
  std::size_t count() const;

  // Any thread; pure. Bytes of the picture's pixels.
  static std::size_t costOf(const ui::Image& image);

 private:
  struct Entry {
    std::string key;
    ui::ImagePtr image;
    std::size_t cost;
  };
  using Order = std::list<Entry>;  // most recently used first

  void evictToFit();                   // under mutex_
  void remove(Order::iterator entry);  // under mutex_

  mutable std::mutex mutex_;
  Order order_;
  std::unordered_map<std::string, Order::iterator> index_;
  std::size_t costLimit_;
  std::size_t totalCost_ = 0;
};

}  // namespace framework
