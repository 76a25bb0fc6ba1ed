#include "src/framework/images/ImageMemoryCache.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "src/framework/images/KeyedLocks.h"

namespace {

using framework::ImageMemoryCache;

// A picture of 10 x 10 pixels: 400 bytes.
ui::ImagePtr filledPicture(std::uint32_t pixel = 0xFF000000) {
  return ui::Image::fromPixels(10, 10, std::vector<std::uint32_t>(100, pixel));
}

TEST(ImageMemoryCacheTest, TheLeastRecentlyUsedPictureLeavesFirst) {
  ImageMemoryCache cache(1200);
  cache.put("a", filledPicture());
  cache.put("b", filledPicture());
  cache.put("c", filledPicture());
  EXPECT_EQ(cache.totalCost(), 1200u);
  EXPECT_TRUE(cache.get("a"));  // a is now the most recent; b the least
  cache.put("d", filledPicture());
  EXPECT_FALSE(cache.contains("b"));
  EXPECT_TRUE(cache.contains("a"));
  EXPECT_TRUE(cache.contains("c"));
  EXPECT_TRUE(cache.contains("d"));
  EXPECT_EQ(cache.count(), 3u);

  // contains() does not count as a use.
  EXPECT_TRUE(cache.contains("c"));
  cache.put("e", filledPicture());
  EXPECT_FALSE(cache.contains("c"));

  cache.setCostLimit(400);
  EXPECT_EQ(cache.count(), 1u);
  EXPECT_TRUE(cache.contains("e"));

  cache.setCostLimit(0);  // no limit
  for (int i = 0; i < 100; ++i) cache.put(std::to_string(i), filledPicture());
  EXPECT_EQ(cache.count(), 101u);
  cache.clear();
  EXPECT_EQ(cache.totalCost(), 0u);
  EXPECT_EQ(cache.get("e"), nullptr);
}

TEST(ImageMemoryCacheTest, ReplacingAndOversizedPicturesKeepTheCostRight) {
  ImageMemoryCache cache(1000);
  auto first = filledPicture(0xFF000001);
  auto second = filledPicture(0xFF000002);
  cache.put("k", first);
  cache.put("k", second);
  EXPECT_EQ(cache.get("k"), second);
  EXPECT_EQ(cache.totalCost(), 400u);
  cache.put("huge", ui::Image::fromPixels(20, 20, std::vector<std::uint32_t>(400, 0)));  // 1600 bytes
  EXPECT_FALSE(cache.contains("huge"));
  EXPECT_TRUE(cache.contains("k"));  // nothing was pushed out for it
  EXPECT_EQ(cache.totalCost(), 400u);
  cache.put("null", nullptr);
  EXPECT_FALSE(cache.contains("null"));
}

TEST(ImageMemoryCacheTest, ManyThreadsShareOneCache) {
  ImageMemoryCache cache(40 * 400);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 500; ++i) {
        std::string key = std::to_string((i * 7 + t) % 60);
        cache.get(key);
        cache.put(key, filledPicture());
        if (i % 100 == 50) cache.clear();
      }
    });
  }
  for (auto& thread : threads) thread.join();
  // Every thread ends with more than 40 distinct puts after any clear: the cache is exactly full.
  EXPECT_EQ(cache.count(), 40u);
  EXPECT_EQ(cache.totalCost(), 40u * 400);
}

TEST(KeyedLocksTest, OneHolderPerKeyAndNoneLeftBehind) {
  framework::KeyedLocks locks;
  std::vector<int> counters(4, 0);  // plain ints: only the key's lock guards each
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 1000; ++i) {
        std::size_t key = static_cast<std::size_t>(i) % counters.size();
        auto guard = locks.lock("key" + std::to_string(key));
        ++counters[key];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int counter : counters) EXPECT_EQ(counter, 2000);
  EXPECT_EQ(locks.activeKeyCount(), 0u);

  auto held = locks.lock("a");
  auto other = locks.lock("b");  // a different key does not wait
  EXPECT_EQ(locks.activeKeyCount(), 2u);
}

}  // namespace
