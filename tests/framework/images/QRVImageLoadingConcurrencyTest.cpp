#include <gtest/gtest.h>

#include <atomic>

#include "src/framework/images/QRVImageDataOperation.h"
#include "src/framework/images/QRVImageView.h"
#include "tests/framework/images/ImageCacheFixture.h"

namespace {

using framework::QRVImageDataOperation;
using framework::QRVImageView;

class QRVImageLoadingConcurrencyTest : public imagetest::ImageCacheFixture {
 protected:
  testsupport::LoopbackServer server;
};

// Hears a fetch and notes on which thread it was told.
class RecordingOperationDelegate : public framework::QRVImageDataOperationDelegate {
 public:
  void imageDataOperation(QRVImageDataOperation&, const std::string& url, const ui::ImagePtr& image) override {
    onMainThread = foundation::RunLoop::isMainThread();
    loadedUrl = url;
    picture = image;
  }
  bool onMainThread = false;
  std::string loadedUrl;
  ui::ImagePtr picture;
};

TEST_F(QRVImageLoadingConcurrencyTest, TwentyWorkersFetchFiveHundredPicturesOnceEach) {
  constexpr int kPictures = 500;
  std::string body = png(0x336699);
  for (int i = 0; i < kPictures; ++i) {
    testsupport::Reply reply = picture(body);
    reply.holdUntilReleased = "gate";
    server.route("GET", "/pic/" + std::to_string(i) + ".png", reply);
  }
  // Two views per picture: the second must wait for the first fetch, not make its own.
  std::vector<std::shared_ptr<QRVImageView>> views;
  for (int copy = 0; copy < 2; ++copy) {
    for (int i = 0; i < kPictures; ++i) {
      auto view = std::make_shared<QRVImageView>();
      view->loadImage(server.url("/pic/" + std::to_string(i) + ".png"));
      views.push_back(view);
    }
  }
  // The first twenty fetches are all under way together, and no more.
  ASSERT_TRUE(server.waitFor([&] { return server.heldCount("gate") == 20; }));
  EXPECT_EQ(manager().imageQueue().maxConcurrentOperationCount(), 20);
  server.release("gate");
  ASSERT_TRUE(runUntil([&] {
    return std::all_of(views.begin(), views.end(), [](const auto& view) { return view->image() != nullptr; });
  }));
  EXPECT_EQ(server.requestCount(), static_cast<std::size_t>(kPictures));
  for (int i = 0; i < kPictures; ++i) EXPECT_EQ(server.requestCount("/pic/" + std::to_string(i) + ".png"), 1u);
  EXPECT_LE(server.maxConcurrentRequests(), 20);
  EXPECT_EQ(manager().loadingLocks().activeKeyCount(), 0u);
  EXPECT_EQ(views.front()->image(), views[kPictures]->image());  // the same decoded picture
}

TEST_F(QRVImageLoadingConcurrencyTest, AMemoryWarningDuringLoadingLosesNoPicture) {
  constexpr int kPictures = 60;
  std::string body = png(0x123456);
  for (int i = 0; i < kPictures; ++i) server.route("GET", "/m/" + std::to_string(i) + ".png", picture(body));
  std::vector<std::shared_ptr<QRVImageView>> views;
  for (int i = 0; i < kPictures; ++i) {
    auto view = std::make_shared<QRVImageView>();
    view->loadImage(server.url("/m/" + std::to_string(i) + ".png"));
    views.push_back(view);
    if (i % 10 == 0) manager().clearMemoryCache();  // from the main thread while workers store
  }
  ASSERT_TRUE(runUntil([&] {
    return std::all_of(views.begin(), views.end(), [](const auto& view) { return view->image() != nullptr; });
  }));
  for (int i = 0; i < kPictures; ++i)
    EXPECT_TRUE(manager().isDiskCacheExit(server.url("/m/" + std::to_string(i) + ".png")));
}

TEST_F(QRVImageLoadingConcurrencyTest, OperationsDeliverOnTheMainThreadFittedToTheirTargetSize) {
  server.route("GET", "/big.png", picture(asText(solid(0xFF0000, 40, 20)->pngData().value())));
  auto delegate = std::make_shared<RecordingOperationDelegate>();
  auto operation = QRVImageDataOperation::create(server.url("/big.png"), delegate);
  operation->setTargetSize({10, 10});
  manager().imageQueue().addOperation(operation);
  ASSERT_TRUE(runUntil([&] { return delegate->picture != nullptr; }));
  EXPECT_TRUE(delegate->onMainThread);
  EXPECT_EQ(delegate->loadedUrl, server.url("/big.png"));
  EXPECT_EQ(delegate->picture->pixelWidth(), 10);
  EXPECT_EQ(delegate->picture->pixelHeight(), 5);
  // The cache keeps the picture as it came.
  EXPECT_EQ(manager().getImageFromCacheWithUrl(server.url("/big.png"))->pixelWidth(), 40);

  auto cancelled = QRVImageDataOperation::create(server.url("/big.png"), delegate);
  delegate->picture.reset();
  cancelled->cancel();
  EXPECT_EQ(cancelled->delegate(), nullptr);
  manager().imageQueue().addOperation(cancelled);
  waitForFetches();
  foundation::RunLoop::main().pumpOnce();
  EXPECT_EQ(delegate->picture, nullptr);
}

}  // namespace
