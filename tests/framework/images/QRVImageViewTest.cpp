#include "src/framework/images/QRVImageView.h"

#include <gtest/gtest.h>

#include "platform/foundation/FileManager.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"
#include "tests/framework/images/ImageCacheFixture.h"

namespace {

using framework::QRVImageView;
using imagetest::colourOf;
using testsupport::Reply;

constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kBlue = 0x0000FF;
constexpr std::uint32_t kGrey = 0x808080;

class RecordingViewDelegate : public framework::QRVImageViewDelegate {
 public:
  void imageLoaded(QRVImageView& view) override { loadedUrls.push_back(view.imageUrl()); }
  void imageClicked(QRVImageView&) override { ++clicks; }

  std::vector<std::string> loadedUrls;
  int clicks = 0;
};

class QRVImageViewTest : public imagetest::ImageCacheFixture {
 protected:
  void SetUp() override {
    ImageCacheFixture::SetUp();
    view = std::make_shared<QRVImageView>(ui::Rect{0, 0, 100, 100});
    view->setDelegate(&delegate);
    placeholder = solid(kGrey);
  }
  void TearDown() override {
    view.reset();
    ImageCacheFixture::TearDown();
  }

  // Waits for the picture to arrive, then lets a cross-fade to it run to its end.
  bool waitForColour(const QRVImageView& target, std::uint32_t colour) {
    bool arrived = runUntil([&] { return colourOf(target.image()) == colour || target.alpha() < 1; });
    step(1);
    return arrived && colourOf(target.image()) == colour;
  }

  testsupport::LoopbackServer server;
  RecordingViewDelegate delegate;
  std::shared_ptr<QRVImageView> view;
  ui::ImagePtr placeholder;
};

TEST_F(QRVImageViewTest, ASecondLoadOfTheSameUrlIsServedFromMemory) {
  server.route("GET", "/cover.png", picture(png(kRed)));
  view->loadImage(server.url("/cover.png"), placeholder);
  EXPECT_EQ(colourOf(view->image()), kGrey);  // the placeholder while the picture is fetched
  ASSERT_TRUE(waitForColour(*view, kRed));
  EXPECT_EQ(delegate.loadedUrls, std::vector<std::string>{server.url("/cover.png")});

  waitForFetches();  // the first fetch may still be winding up after its delivery
  auto second = std::make_shared<QRVImageView>();
  second->loadImage(server.url("/cover.png"), placeholder);
  EXPECT_EQ(colourOf(second->image()), kRed);  // at once, without any queue work
  EXPECT_EQ(manager().imageQueue().operationCount(), 0u);
  EXPECT_EQ(server.requestCount("/cover.png"), 1u);
  EXPECT_TRUE(manager().isDiskCacheExit(server.url("/cover.png")));
}

TEST_F(QRVImageViewTest, OnlyTheLastUrlAskedForIsShown) {
  // A's reply is still on its way when B is asked for.
  Reply held = picture(png(kRed));
  held.holdUntilReleased = "a";
  server.route("GET", "/a.png", held);
  server.route("GET", "/b.png", picture(png(kGreen)));
  view->loadImage(server.url("/a.png"), placeholder);
  ASSERT_TRUE(server.waitForRequests(1));
  view->loadImage(server.url("/b.png"), placeholder);
  ASSERT_TRUE(waitForColour(*view, kGreen));
  server.release("a");
  waitForFetches();
  foundation::RunLoop::main().pumpOnce();
  EXPECT_EQ(colourOf(view->image()), kGreen);
  EXPECT_EQ(view->imageUrl(), server.url("/b.png"));

  // A's picture has arrived and waits for the main thread when C is asked for: it is dropped.
  server.route("GET", "/c.png", picture(png(kBlue)));
  auto fresh = std::make_shared<QRVImageView>();
  fresh->setDelegate(&delegate);
  fresh->loadImage(server.url("/a.png"), placeholder);
  waitForFetches();
  fresh->loadImage(server.url("/c.png"));
  ASSERT_TRUE(waitForColour(*fresh, kBlue));
  foundation::RunLoop::main().pumpOnce();
  EXPECT_EQ(colourOf(fresh->image()), kBlue);
  EXPECT_EQ(delegate.loadedUrls, (std::vector<std::string>{server.url("/b.png"), server.url("/c.png")}));
}

TEST_F(QRVImageViewTest, AfterAMemoryWarningPicturesComeFromTheirFiles) {
  server.route("GET", "/dj.jpg", picture(jpeg(kRed), "image/jpeg"));
  view->loadImage(server.url("/dj.jpg"));
  ASSERT_TRUE(runUntil([&] { return view->image() != nullptr; }));
  ui::Application::shared().didReceiveMemoryWarning();
  EXPECT_FALSE(manager().isImageInMemoryCacheWithUrl(server.url("/dj.jpg")));

  auto again = std::make_shared<QRVImageView>();
  again->loadImage(server.url("/dj.jpg"), placeholder);
  EXPECT_EQ(colourOf(again->image()), kGrey);                 // not in memory: fetched from the file
  ASSERT_TRUE(runUntil([&] { return again->alpha() < 1; }));  // fading from the placeholder
  step(1);
  EXPECT_NE(again->image(), placeholder);
  EXPECT_EQ(again->image(),
            manager().getImageFromMemoryCache(framework::QRVImageCacheManager::getKeyFromUrl(server.url("/dj.jpg"))));
  EXPECT_EQ(server.requestCount("/dj.jpg"), 1u);
  EXPECT_TRUE(manager().isImageInMemoryCacheWithUrl(server.url("/dj.jpg")));
}

TEST_F(QRVImageViewTest, EachSizeStyleIsAPictureOfItsOwn) {
  server.route("GET", "/p.jpg!small0", picture(png(kRed)));
  server.route("GET", "/p.jpg!large2", picture(png(kBlue)));
  auto large = std::make_shared<QRVImageView>();
  view->loadImage(server.url("/p.jpg!small0"));
  large->loadImage(server.url("/p.jpg!large2"));
  ASSERT_TRUE(waitForColour(*view, kRed));
  ASSERT_TRUE(waitForColour(*large, kBlue));
  EXPECT_EQ(server.requestCount("/p.jpg!small0"), 1u);
  EXPECT_EQ(server.requestCount("/p.jpg!large2"), 1u);
  EXPECT_NE(manager().getUrlSavePath(server.url("/p.jpg!small0")),
            manager().getUrlSavePath(server.url("/p.jpg!large2")));
}

TEST_F(QRVImageViewTest, CorruptOrMissingPicturesLeaveThePlaceholder) {
  std::string truncated = jpeg(kRed, 64);
  truncated.resize(truncated.size() / 2);
  server.route("GET", "/garbage.png", picture("<html>not a picture</html>"));
  server.route("GET", "/truncated.jpg", picture(truncated, "image/jpeg"));
  server.route("GET", "/missing.png", [](const testsupport::RecordedRequest&) {
    Reply notFound = picture(png(kRed));  // a picture, but the body of a 404
    notFound.status = 404;
    return notFound;
  });
  for (const char* path : {"/garbage.png", "/truncated.jpg", "/missing.png"}) {
    auto target = std::make_shared<QRVImageView>();
    target->setDelegate(&delegate);
    target->loadImage(server.url(path), placeholder);
    waitForFetches();
    foundation::RunLoop::main().pumpOnce();
    EXPECT_EQ(target->image(), placeholder) << path;
    EXPECT_EQ(server.requestCount(path), 1u) << path;
    EXPECT_FALSE(manager().isDiskCacheExit(server.url(path))) << path;
  }
  EXPECT_TRUE(delegate.loadedUrls.empty());
}

TEST_F(QRVImageViewTest, LocalFilesLoadAndHttpsGoesToTheNetwork) {
  std::string path = home + "/local.png";
  ASSERT_TRUE(foundation::FileManager::writeAtomically(path, png(kGreen)).ok());
  view->loadImage(path);
  ASSERT_TRUE(waitForColour(*view, kGreen));
  EXPECT_TRUE(manager().isDiskCacheExit(path));

  // An https picture is fetched, not looked for as a file (here the test certificate is refused).
  testsupport::ServerOptions options;
  options.tls = true;
  testsupport::LoopbackServer secure(options);
  auto target = std::make_shared<QRVImageView>();
  target->loadImage(secure.url("/cover.png"), placeholder);
  waitForFetches();
  EXPECT_GE(secure.acceptedConnections(), 1);
  EXPECT_EQ(target->image(), placeholder);
}

TEST_F(QRVImageViewTest, ShownPicturesCrossFadeToTheNewOne) {
  server.route("GET", "/next.png", picture(png(kBlue)));
  view->setDefaultImage(solid(kRed));
  view->loadImage(server.url("/next.png"), placeholder);
  EXPECT_EQ(colourOf(view->image()), kRed);  // a shown picture is not replaced by the placeholder
  ASSERT_TRUE(runUntil([&] { return !delegate.loadedUrls.empty(); }));
  EXPECT_EQ(colourOf(view->image()), kRed);  // fading out first
  step(0.25);
  EXPECT_NEAR(view->presentation().alpha, 0.5, 0.2);
  step(0.25);
  EXPECT_EQ(colourOf(view->image()), kBlue);
  step(0.5);
  EXPECT_EQ(view->presentation().alpha, 1.0);

  // From memory onto a shown picture: the same fade.
  view->loadImage(server.url("/next.png"));
  auto other = std::make_shared<QRVImageView>();
  other->setDefaultImage(solid(kGreen));
  other->loadImage(server.url("/next.png"));
  EXPECT_EQ(colourOf(other->image()), kGreen);
  step(0.5);
  EXPECT_EQ(colourOf(other->image()), kBlue);
  step(0.5);
  EXPECT_EQ(other->alpha(), 1.0);
}

TEST_F(QRVImageViewTest, AFadeThatEndsAfterANewerLoadDoesNotShowItsPicture) {
  server.route("GET", "/cached.png", picture(png(kRed)));
  Reply held = picture(png(kBlue));
  held.holdUntilReleased = "late";
  server.route("GET", "/late.png", held);
  view->loadImage(server.url("/cached.png"));
  ASSERT_TRUE(waitForColour(*view, kRed));

  auto target = std::make_shared<QRVImageView>();
  target->setDefaultImage(solid(kGreen));
  target->loadImage(server.url("/cached.png"));  // starts fading to red
  target->loadImage(server.url("/late.png"));    // ... but blue is wanted now
  step(1);
  EXPECT_EQ(colourOf(target->image()), kGreen);
  EXPECT_EQ(target->alpha(), 1.0);
  server.release("late");
  ASSERT_TRUE(runUntil([&] { return target->alpha() < 1.0 || colourOf(target->image()) == kBlue; }));
  step(1);
  EXPECT_EQ(colourOf(target->image()), kBlue);
}

TEST_F(QRVImageViewTest, TapsReachTheDelegateWhileEnabled) {
  auto window = std::make_shared<ui::Window>();
  window->addSubview(view);
  window->makeKeyAndVisible();
  EXPECT_FALSE(view->isUserInteractionEnabled());
  window->tap({50, 50});
  EXPECT_EQ(delegate.clicks, 0);

  view->setEnableTapEvent(true);
  view->setEnableTapEvent(true);
  EXPECT_TRUE(view->isUserInteractionEnabled());
  ASSERT_EQ(view->gestureRecognizers().size(), 1u);
  EXPECT_FALSE(view->gestureRecognizers().front()->cancelsTouchesInView());
  window->tap({50, 50});
  EXPECT_EQ(delegate.clicks, 1);

  view->setEnableTapEvent(false);
  EXPECT_TRUE(view->gestureRecognizers().empty());
  window->tap({50, 50});
  EXPECT_EQ(delegate.clicks, 1);
}

TEST_F(QRVImageViewTest, TheIndicatorIsStoppedAndStyled) {
  auto spinner = std::make_shared<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::WhiteLarge);
  EXPECT_EQ(view->indicatorViewStyle(), 2);
  view->setIndicator(spinner);
  EXPECT_EQ(spinner->style(), ui::ActivityIndicatorStyle::Gray);
  view->setIndicatorViewStyle(1);
  EXPECT_EQ(spinner->style(), ui::ActivityIndicatorStyle::White);

  spinner->startAnimating();
  spinner->setHidden(false);
  server.route("GET", "/x.png", picture(png(kRed)));
  view->loadImage(server.url("/x.png"));
  ASSERT_TRUE(waitForColour(*view, kRed));
  EXPECT_FALSE(spinner->isAnimating());
  EXPECT_TRUE(spinner->isHidden());
}

TEST_F(QRVImageViewTest, EmptyUrlsChangeNothingAndAGoneViewHearsNothing) {
  view->loadImage("", placeholder);
  EXPECT_EQ(view->image(), nullptr);
  EXPECT_EQ(view->imageUrl(), "");

  Reply stalled = picture(png(kRed));
  stalled.stallAfterBytes = 20;  // the head goes out, the body never comes
  server.route("GET", "/slow.png", stalled);
  view->loadImage(server.url("/slow.png"), placeholder);
  ASSERT_TRUE(server.waitForRequests(1));
  std::weak_ptr<QRVImageView> gone = view;
  view.reset();  // cancels the fetch, whose request is cancelled in turn
  EXPECT_TRUE(gone.expired());
  waitForFetches();
  foundation::RunLoop::main().pumpOnce();
  EXPECT_TRUE(delegate.loadedUrls.empty());
  EXPECT_FALSE(manager().isImageInMemoryCacheWithUrl(server.url("/slow.png")));
}

TEST_F(QRVImageViewTest, AStalledPictureTimesOut) {
  Reply stalled = picture(png(kRed));
  stalled.stallAfterBytes = 20;
  server.route("GET", "/stalled.png", stalled);
  view->loadImage(server.url("/stalled.png"), placeholder);
  ASSERT_TRUE(server.waitForRequests(1));
  step(framework::QRVImageDataOperation::kNetworkTimeOutSeconds + 1);
  EXPECT_TRUE(runUntil([] { return manager().imageQueue().operationCount() == 0; }));
  EXPECT_EQ(view->image(), placeholder);
  EXPECT_TRUE(delegate.loadedUrls.empty());
}

}  // namespace
