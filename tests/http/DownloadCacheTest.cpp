#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "src/http/DownloadCache.h"
#include "src/http/NetworkQueue.h"
#include "tests/http/EngineTestSupport.h"

namespace http::test {
namespace {

using testsupport::RecordedRequest;
using testsupport::Reply;

Reply cacheable(std::string body, std::string cacheControl = "max-age=60") {
  return Reply::text(std::move(body)).header("Cache-Control", std::move(cacheControl)).header("Etag", "\"v1\"");
}

Reply notModified() {
  Reply reply;
  reply.status = 304;
  reply.noBody = true;
  reply.header("Cache-Control", "max-age=60");
  return reply;
}

// Requests against a fresh cache with a clock that moves only when told.
class CacheTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    clock = std::make_shared<foundation::ManualClock>();
    foundation::Clock::setCurrent(clock);
    ASSERT_TRUE(cache->setStoragePath(folder.file("cache")).ok());
  }
  void TearDown() override {
    foundation::Clock::useRealClock();
    EngineTest::TearDown();
  }

  std::shared_ptr<HTTPRequest> fetch(const std::string& path, int policy = kUseDefaultCachePolicy) {
    delegate = std::make_shared<RecordingDelegate>();
    auto request = makeRequest(server.url(path));
    request->setDownloadCache(cache);
    request->setCachePolicy(policy);
    runToEnd(request);
    return request;
  }
  std::string body(const std::shared_ptr<HTTPRequest>& request) { return request->responseString().value_or("<none>"); }

  TemporaryDirectory folder;
  std::shared_ptr<DownloadCache> cache = std::make_shared<DownloadCache>();
  std::shared_ptr<foundation::ManualClock> clock;
};

TEST(DownloadCacheNamesTest, KeysAndExtensionsAreSafeFileNames) {
  EXPECT_EQ(DownloadCache::keyForURL("http://h/a/"), DownloadCache::keyForURL("http://h/a"));
  EXPECT_EQ(DownloadCache::keyForURL("http://h/a").size(), 32u);
  DownloadCache cache;
  TemporaryDirectory folder;
  ASSERT_TRUE(cache.setStoragePath(folder.file("c")).ok());
  const std::string session = folder.file("c") + "/SessionStore/";
  for (auto [url, extension] : {std::pair{"http://h/page.PHP?x=1", "html"},
                                {"http://h/list.cachedheaders", "html"},
                                {"http://h/a.mp3", "mp3"},
                                {"http://h/x.a%2Fb", "html"},
                                {"http://h/", "html"}}) {
    ASSERT_TRUE(
        foundation::FileManager::writeAtomically(session + DownloadCache::keyForURL(url) + "." + extension, "body")
            .ok());
    EXPECT_EQ(cache.pathToCachedResponseDataForURL(url), session + DownloadCache::keyForURL(url) + "." + extension)
        << url;
  }
  // A file where a store folder should be is reported by name and text.
  ASSERT_TRUE(foundation::FileManager::writeAtomically(folder.file("blocked"), "x").ok());
  auto blocked = cache.setStoragePath(folder.file("blocked"));
  ASSERT_FALSE(blocked.ok());
  EXPECT_TRUE(blocked.error()->is(kDownloadCacheErrorDomain,
                                  static_cast<long long>(DownloadCacheError::fileExistsAtCachePath)));
  EXPECT_EQ(blocked.error()->description(), "Cannot create a directory for the cache at '" + folder.file("blocked") +
                                                "', because a file already exists");
}

TEST_F(CacheTest, FreshResponsesAreServedUntilTheyExpireThenRevalidated) {
  server.route("GET", "/a", std::vector<Reply>{cacheable("first"), notModified()});
  EXPECT_EQ(body(fetch("/a")), "first");
  auto cached = fetch("/a");
  EXPECT_TRUE(cached->didUseCachedResponse());
  EXPECT_EQ(body(cached), "first");
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"finished"}));
  EXPECT_EQ(server.requestCount("/a"), 1u);

  clock->advance(foundation::Duration(61));
  auto revalidated = fetch("/a");
  ASSERT_EQ(server.requestCount("/a"), 2u);
  EXPECT_EQ(server.requests().back().header("If-None-Match"), "\"v1\"");
  EXPECT_TRUE(revalidated->didUseCachedResponse());
  EXPECT_EQ(body(revalidated), "first");
  EXPECT_EQ(revalidated->responseStatusCode(), 200);
  fetch("/a");  // the 304 renewed the expiry
  EXPECT_EQ(server.requestCount("/a"), 2u);
}

TEST_F(CacheTest, EachPolicyBitDecidesAsDocumented) {
  server.route("GET", "/p", std::vector<Reply>{cacheable("one", "max-age=0"), Reply::text("two")});
  fetch("/p", kDoNotWriteToCache);
  EXPECT_FALSE(cache->cachedResponseDataForURL(server.url("/p")));
  fetch("/p");  // stored, but already stale
  server.route("GET", "/p", Reply::text("three"));
  EXPECT_EQ(body(fetch("/p", kDontLoad)), "two");
  EXPECT_EQ(body(fetch("/p", kOnlyLoadIfNotCached)), "two");
  EXPECT_EQ(server.requestCount("/p"), 2u);
  EXPECT_EQ(body(fetch("/p", kDoNotReadFromCache | kDontLoad)), "three");
  EXPECT_EQ(fetch("/nothing-cached", kDontLoad)->responseStatusCode(), 404);  // nothing cached: loaded

  server.route("GET", "/ask", std::vector<Reply>{cacheable("kept", "max-age=600"), notModified(), Reply::text("new")});
  fetch("/ask");
  EXPECT_EQ(body(fetch("/ask", kAskServerIfModified)), "kept");  // asks although fresh
  EXPECT_EQ(server.requestCount("/ask"), 2u);
  EXPECT_EQ(body(fetch("/ask", kAskServerIfModified)), "new");
  EXPECT_EQ(body(fetch("/ask", kAskServerIfModifiedWhenStale | kAskServerIfModified)), "new");  // the new one, stored

  Reply dropped;
  dropped.fault = testsupport::Fault::kCloseWithoutReply;
  server.route("GET", "/down", std::vector<Reply>{cacheable("saved", "max-age=0"), dropped});
  fetch("/down");
  auto fallback = fetch("/down", kFallbackToCacheIfLoadFails);
  EXPECT_EQ(body(fallback), "saved");
  EXPECT_EQ(fallback->error(), nullptr);
  EXPECT_EQ(delegate->count("failed"), 0);
}

TEST_F(CacheTest, CacheControlIsReadAsAListOfDirectives) {
  server.route("GET", "/private", cacheable("secret", "private, no-store"));
  server.route("GET", "/missing", Reply::text("gone", 404).header("Cache-Control", "max-age=60"));
  server.route("GET", "/zero", cacheable("z", "max-age=0").header("Expires", "Thu, 01 Jan 2099 00:00:00 GMT"));
  server.route("GET", "/ask-first", std::vector<Reply>{cacheable("v", "max-age=600, no-cache"), Reply::text("w")});
  server.route("GET", "/no-cache", cacheable("n", "No-Cache"));
  server.route("GET", "/pragma", cacheable("p").header("Pragma", "no-cache"));
  for (const char* path : {"/private", "/missing", "/zero", "/ask-first", "/no-cache", "/pragma"}) {
    auto request = fetch(path);
    const bool refused =
        path == std::string("/private") || path == std::string("/no-cache") || path == std::string("/pragma");
    EXPECT_EQ(DownloadCache::serverAllowsResponseCachingForRequest(*request), !refused) << path;
  }
  for (const char* path : {"/private", "/missing", "/no-cache", "/pragma"})
    EXPECT_FALSE(cache->cachedResponseHeadersForURL(server.url(path))) << path;
  EXPECT_FALSE(fetch("/zero")->didUseCachedResponse());  // max-age=0 wins over a far Expires
  EXPECT_EQ(body(fetch("/ask-first", kDontLoad)), "w");  // no-cache: never used unasked

  EXPECT_EQ(HTTPRequest::dateFromRFC1123String("Sun, 06 Nov 1994 08:49:37 GMT")->secondsSince1970, 784111777);
}

TEST_F(CacheTest, ANotModifiedWithoutAnEntryFailsInsteadOfAnsweringEmpty) {
  server.route("GET", "/v", cacheable("body", "max-age=0"));
  fetch("/v");
  server.route("GET", "/v", [this](const RecordedRequest&) {
    cache->removeCachedDataForURL(server.url("/v"));  // gone while the question travels
    return notModified();
  });
  auto request = fetch("/v");
  ASSERT_NE(request->error(), nullptr);
  EXPECT_EQ(delegate->count("finished"), 0);

  server.route("GET", "/never", Reply::text("plain"));
  fetch("/never");
  server.route("GET", "/never", notModified());
  fetch("/never");  // no entry that could answer: no validators sent
  EXPECT_FALSE(server.requests().back().header("If-None-Match"));
}

TEST_F(CacheTest, ADamagedEntryIsAMissAndIsRemoved) {
  server.route("GET", "/c", cacheable("whole body"));
  const std::string url = server.url("/c");
  auto withoutStatus = [&] {
    auto path = *cache->pathToCachedResponseHeadersForURL(url);
    auto headers = *foundation::PropertyList::parse(*foundation::FileManager::readFile(path));
    headers.getDictionary()->erase("X-HTTPRequest-Response-Status-Code");
    std::string text = *foundation::PropertyList::serialize(headers);
    writeFile(path, foundation::Bytes(text.begin(), text.end()));
  };
  fetch("/c");
  for (std::string damage : {"cut short", "emptied", "no status"}) {
    ASSERT_TRUE(fetch("/c")->didUseCachedResponse()) << damage;
    auto bodyPath = *cache->pathToCachedResponseDataForURL(url);
    if (damage == "no status") {
      withoutStatus();
    } else {
      writeFile(bodyPath, damage == "emptied" ? foundation::Bytes{} : foundation::Bytes{'w', 'h'});
    }
    EXPECT_FALSE(cache->cachedResponseDataForURL(url)) << damage;
    EXPECT_FALSE(foundation::FileManager::fileExists(bodyPath)) << damage;
    auto again = fetch("/c");
    EXPECT_FALSE(again->didUseCachedResponse()) << damage;
    EXPECT_EQ(body(again), "whole body") << damage;
  }
}

TEST_F(CacheTest, StoresGzipInflatedAndCopiesFilesOut) {
  Reply gzipped = cacheable(std::string(5000, 'g'));
  gzipped.coding = testsupport::ContentCoding::kGzip;
  server.route("GET", "/gz", gzipped);
  fetch("/gz");
  auto headers = cache->cachedResponseHeadersForURL(server.url("/gz"));
  ASSERT_TRUE(headers);
  EXPECT_FALSE(headers->contains("Content-Encoding"));
  EXPECT_EQ((*headers)["Content-Length"], foundation::Value("5000"));
  EXPECT_EQ(cache->cachedResponseDataForURL(server.url("/gz"))->size(), 5000u);

  delegate = std::make_shared<RecordingDelegate>();
  auto download = makeRequest(server.url("/gz"));
  download->setDownloadCache(cache);
  download->setDownloadDestinationPath(folder.file("song.mp3"));
  runToEnd(download);
  EXPECT_TRUE(download->didUseCachedResponse());
  ASSERT_TRUE(foundation::FileManager::removeItem(folder.file("song.mp3")).ok());
  EXPECT_TRUE(cache->cachedResponseDataForURL(server.url("/gz")));  // the caller had a copy
}

TEST_F(CacheTest, StoresKeepOneEntryPerURLAndTheSessionStoreStartsEmpty) {
  server.route("GET", "/s", std::vector<Reply>{cacheable("session"), cacheable("permanent")});
  fetch("/s");
  delegate = std::make_shared<RecordingDelegate>();
  auto permanent = makeRequest(server.url("/s"));
  permanent->setDownloadCache(cache);
  permanent->setCachePolicy(kDoNotReadFromCache);
  permanent->setCacheStoragePolicy(kCachePermanently);
  runToEnd(permanent);
  EXPECT_EQ(cache->pathToCachedResponseDataForURL(server.url("/s"))->find("PermanentStore") != std::string::npos, true);

  auto again = std::make_shared<DownloadCache>();  // a new run on the same folder
  ASSERT_TRUE(again->setStoragePath(folder.file("cache")).ok());
  fetch("/s");
  EXPECT_EQ(body(fetch("/s")), "permanent");
  ASSERT_TRUE(cache->clearCachedResponsesForStoragePolicy(kCachePermanently).ok());
  EXPECT_FALSE(cache->cachedResponseDataForURL(server.url("/s")));
}

TEST_F(CacheTest, ACachedRedirectIsFollowedAndAHEADAnswersItsMainRequest) {
  server.route("GET", "/r", Reply::redirect(302, "/final").header("Cache-Control", "max-age=60"));
  server.route("GET", "/final", cacheable("arrived"));
  fetch("/r");
  auto cached = fetch("/r");
  EXPECT_EQ(body(cached), "arrived");
  EXPECT_EQ(cached->url(), server.url("/final"));
  EXPECT_EQ(server.requestCount(), 2u);

  auto queue = NetworkQueue::queue();
  delegate = std::make_shared<RecordingDelegate>();
  auto main = makeRequest(server.url("/final"));
  main->setDownloadCache(cache);
  queue->addOperation(main);
  queue->go();
  ASSERT_TRUE(runUntil([&] { return main->isFinished() && delegate->ended(); }));
  EXPECT_TRUE(main->didUseCachedResponse());
  EXPECT_EQ(body(main), "arrived");
  EXPECT_EQ(server.requestCount(), 2u);  // neither the HEAD nor the GET went out
}

TEST_F(CacheTest, StoringAndReadingFromSeveralThreadsNeverShowsHalfAnEntry) {
  const std::string text(64 * 1024, 'x');
  server.route("GET", "/busy", cacheable(text, "max-age=0"));
  std::atomic<bool> done{false};
  std::atomic<int> partial{0};
  std::thread reader([&] {
    while (!done) {
      auto data = cache->cachedResponseDataForURL(server.url("/busy"));
      if (data && data->size() != text.size()) ++partial;
    }
  });
  for (int round = 0; round < 10; ++round) fetch("/busy");
  done = true;
  reader.join();
  EXPECT_EQ(partial, 0);
}

TEST_F(CacheTest, RequestsOnSeveralThreadsStoreAndReadTheSameAndOtherURLsAtOnce) {
  // Each answer for the shared URL has another length, so that one answer's headers served
  // with another's body would show.
  std::atomic<int> served{0};
  server.route("GET", "/shared", [&served](const RecordedRequest&) {
    return Reply::text(std::string(16 * 1024 * static_cast<std::size_t>(1 + served++ % 3), 's'))
        .header("Cache-Control", "max-age=60");
  });
  for (const char* path : {"/a", "/b"}) server.route("GET", path, cacheable(std::string(32 * 1024, path[1])));
  std::atomic<int> wrong{0};
  std::vector<std::thread> workers;
  for (int worker = 0; worker < 4; ++worker) {
    workers.emplace_back([&, worker] {
      for (int i = 0; i < 8; ++i) {
        const std::string url = server.url(i % 2 ? "/shared" : worker % 2 ? "/a" : "/b");
        // Half the requests bypass the cache's answer, so that stores meet reads of one entry.
        const int policy = i % 4 < 2 ? kDoNotReadFromCache : kUseDefaultCachePolicy;
        auto request = HTTPRequest::requestWithURL(url, cache, policy);
        request->startSynchronous();
        auto body = request->responseData();
        if (request->error() || !body || body->empty() || body->size() != request->contentLength()) ++wrong;
        // Read straight from this thread while the network thread stores: never half a body.
        auto stored = cache->cachedResponseDataForURL(url);
        if (stored && (stored->empty() || stored->size() % (16 * 1024) != 0)) ++wrong;
      }
    });
  }
  for (auto& worker : workers) worker.join();
  EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace http::test
