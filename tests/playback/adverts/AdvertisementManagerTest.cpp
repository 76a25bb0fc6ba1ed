#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/PropertyList.h"
#include "platform/ui/Application.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/Window.h"
#include "src/api/models/UserModel.h"
#include "src/http/NetworkQueue.h"
#include "src/playback/adverts/AdvertisementManager.h"
#include "src/playback/adverts/SingleAdView.h"
#include "src/services/UsageAnalytics.h"
#include "tests/api/requests/ApiRequestTestSupport.h"

namespace playback {
namespace {

using foundation::FileManager;
using foundation::Value;

class AdvertisementManagerTest : public apitest::ApiRequestTest {
 protected:
  void SetUp() override {
    ApiRequestTest::SetUp();
    AdvertisementManager::resetSharedManagerForTesting();
    services::UsageAnalytics::takePendingEvents();
  }
  void TearDown() override {
    AdvertisementManager::resetSharedManagerForTesting();
    ApiRequestTest::TearDown();
  }

  static AdvertisementManager& manager() { return AdvertisementManager::sharedManager(); }

  // An advert whose media the media server serves under /<name>.jpg and /<name>.mp3.
  std::string advert(const std::string& name, const std::string& link = "http://shop.example/summer") const {
    return R"({"img":")" + media.url("/" + name + ".jpg") + R"(","ad":")" + media.url("/" + name + ".mp3") +
           R"(","link":")" + link + R"("})";
  }
  static std::string plan(const std::string& perCount, const std::string& ads) {
    return R"({"err":"hapn.ok","data":{"per_count":)" + perCount + R"(,"ads":)" + ads + "}}";
  }

  // Fetches the plan and runs until the fetch has ended and its downloads are done.
  void fetch() {
    bool ended = false;
    manager().requestAdvertismentDataCompletHandler(
        [&] {
          ended = true;
          ++completions;
        },
        [&] {
          ended = true;
          ++failures;
        });
    ASSERT_TRUE(runUntil([&] { return ended && liveRequests().empty(); })) << "the fetch did not end";
    ASSERT_TRUE(runUntil([&] { return manager().downloadQueue()->requestsCount() == 0; }));
  }
  void fetchWith(const std::string& reply) {
    api.answerWithBody("play.getAdPlan", reply);
    fetch();
  }

  testsupport::LoopbackServer media;
  int completions = 0;
  int failures = 0;
};

TEST_F(AdvertisementManagerTest, AnAdvertComesEveryPerCountSongsForListenersWithoutAHigherAccount) {
  manager().setAdsArray(Value(foundation::Array{
      Value(foundation::Dictionary{{"img", "http://a/1.jpg"}, {"ad", "http://a/1.mp3"}, {"link", "http://a"}})}));
  EXPECT_FALSE(manager().canPlayAdversementWithPlayTimes(3));  // no frequency yet
  manager().setPerCount(3);
  for (int count : {3, 6, 9}) EXPECT_TRUE(manager().canPlayAdversementWithPlayTimes(count)) << count;
  for (int count : {0, 1, 2, 4, 5}) EXPECT_FALSE(manager().canPlayAdversementWithPlayTimes(count)) << count;

  auto user = api::UserModel::initWithDataDic({{"user_type", "3"}});
  ASSERT_TRUE(
      framework::DataCacheManager::sharedManager().addObject(Value(user), framework::kUserIsLoginCacheKey).ok());
  EXPECT_FALSE(manager().canPlayAdversementWithPlayTimes(3));
  user->setUserType("4");
  EXPECT_TRUE(manager().canPlayAdversementWithPlayTimes(3));

  manager().setAdsArray(Value(foundation::Array{}));
  EXPECT_FALSE(manager().canPlayAdversementWithPlayTimes(3));
}

TEST_F(AdvertisementManagerTest, APlanKeepsItsFileAndFetchesOnlyTheMissingMedia) {
  media.route("GET", "/one.mp3", testsupport::Reply::text("ID3 clip one"));
  media.route("GET", "/two.jpg", testsupport::Reply::text("picture two"));
  media.route("GET", "/two.mp3", testsupport::Reply::text("ID3 clip two"));
  ASSERT_TRUE(FileManager::createDirectory(AdvertisementManager::adCacheFolder()).ok());
  ASSERT_TRUE(
      FileManager::writeAtomically(AdvertisementManager::cachedPicturePath(media.url("/one.jpg")), "kept").ok());

  fetchWith(plan(R"("2")", "[" + advert("one") + "," + advert("two") + "]"));
  EXPECT_EQ(completions, 1);
  EXPECT_EQ(manager().perCount(), 2);  // sent as text
  ASSERT_EQ(manager().adsArray().size(), 2u);
  ASSERT_TRUE(manager().fetchAdverisementPath());
  EXPECT_TRUE(manager().fetchAdverisementPath()->ends_with(".mp3"));

  EXPECT_EQ(media.requestCount("/one.jpg"), 0u);
  EXPECT_EQ(FileManager::readTextFile(AdvertisementManager::cachedAudioPath(media.url("/one.mp3"))).value(),
            "ID3 clip one");
  EXPECT_EQ(FileManager::readTextFile(AdvertisementManager::cachedPicturePath(media.url("/two.jpg"))).value(),
            "picture two");
  auto saved = foundation::PropertyList::parse(FileManager::readFile(AdvertisementManager::planFilePath()).value());
  ASSERT_TRUE(saved.ok());
  EXPECT_EQ(saved.value()["err"], Value("hapn.ok"));
  EXPECT_EQ(saved.value()["perCount"], Value("2"));
  EXPECT_TRUE(saved.value()["data"].isDictionary());

  fetch();  // everything is cached now
  EXPECT_EQ(media.requestCount(), 3u);
}

TEST_F(AdvertisementManagerTest, AFailedFetchFallsBackOnThePlanFileWhenThereIsOne) {
  api.dropConnection("play.getAdPlan");
  fetch();
  EXPECT_EQ(failures, 1);
  EXPECT_TRUE(manager().adsArray().empty());
  EXPECT_FALSE(manager().fetchAdverisementPath());

  fetchWith(plan("4", "[" + advert("one") + "]"));
  AdvertisementManager::resetSharedManagerForTesting();  // the next run
  api.dropConnection("play.getAdPlan");
  fetch();
  EXPECT_EQ(failures, 2);
  EXPECT_EQ(manager().perCount(), 4);
  ASSERT_EQ(manager().adsArray().size(), 1u);
  EXPECT_EQ(manager().fetchAdverisementPath(), media.url("/one.mp3"));  // index 0 on a fresh start
}

TEST_F(AdvertisementManagerTest, ARefusedReplyChangesNothing) {
  fetchWith(plan("3", "[" + advert("one") + "]"));
  const std::string file = FileManager::readTextFile(AdvertisementManager::planFilePath()).value();
  api.answerWithErr("play.getAdPlan", "hapn.u_login");
  bool called = false;
  manager().requestAdvertismentDataCompletHandler([&] { called = true; }, [&] { called = true; });
  ASSERT_TRUE(runUntil([&] { return api.callCount() == 2 && liveRequests().empty(); }));
  EXPECT_FALSE(called);
  EXPECT_EQ(manager().perCount(), 3);
  EXPECT_EQ(manager().adsArray().size(), 1u);
  EXPECT_EQ(FileManager::readTextFile(AdvertisementManager::planFilePath()).value(), file);
}

TEST_F(AdvertisementManagerTest, EntriesThatAreNotAdvertsAreSkipped) {
  fetchWith(plan("1", R"([7, "x", {"img": 5, "ad": "http://a/b.mp3", "link": "http://a"}, {"img": "http://a/c"},)" +
                          advert("good") + "]"));
  ASSERT_EQ(manager().adsArray().size(), 1u);
  EXPECT_EQ(manager().fetchAdverisementPic(), media.url("/good.jpg"));

  fetchWith(plan("1", R"({"img": "http://a/c"})"));
  EXPECT_TRUE(manager().adsArray().empty());
  EXPECT_FALSE(manager().canPlayAdversementWithPlayTimes(1));
  EXPECT_FALSE(manager().fetchAdverisementPath());
}

TEST_F(AdvertisementManagerTest, AnErrorPageNeverBecomesAClip) {
  media.route("GET", "/gone.mp3", testsupport::Reply::text("<html>Not Found</html>", 404));
  media.route("GET", "/gone.jpg", testsupport::Reply::text("picture"));
  fetchWith(plan("1", "[" + advert("gone") + "]"));
  const std::string clip = AdvertisementManager::cachedAudioPath(media.url("/gone.mp3"));
  EXPECT_EQ(media.requestCount("/gone.mp3"), 1u);
  EXPECT_FALSE(FileManager::fileExists(clip));
  EXPECT_FALSE(FileManager::fileExists(clip + "_new"));

  fetch();  // asked for again at the next plan
  EXPECT_EQ(media.requestCount("/gone.mp3"), 2u);
}

TEST_F(AdvertisementManagerTest, TheAdvertViewReplacesThePreviousOneAndOpensOnlyWebLinks) {
  auto window = std::make_shared<ui::Window>(ui::Rect{0, 0, 320, 568});
  window->makeKeyAndVisible();
  ASSERT_TRUE(FileManager::createDirectory(AdvertisementManager::adCacheFolder()).ok());
  auto picture = ui::Image::fromPixels(2, 2, std::vector<std::uint32_t>(4, 0xFFE0A030u));
  ASSERT_TRUE(FileManager::writeAtomically(AdvertisementManager::cachedPicturePath(media.url("/sun.jpg")),
                                           foundation::Bytes(picture->pngData().value()))
                  .ok());
  manager().setPerCount(1);
  manager().setAdsArray(Value(foundation::Array{Value(
      foundation::Dictionary{{"img", media.url("/sun.jpg")}, {"ad", "a"}, {"link", "https://shop.example/x?y=1"}})}));

  manager().showAdCoverView();
  manager().showAdCoverView();
  int shown = 0;
  for (const auto& view : window->subviews()) shown += view->tag() == SingleAdView::kViewTag;
  ASSERT_EQ(shown, 1);
  auto* view = dynamic_cast<SingleAdView*>(window->viewWithTag(SingleAdView::kViewTag));
  ASSERT_TRUE(view);
  ASSERT_TRUE(view->adImage()->image());
  ASSERT_TRUE(ui::renderToPNG(*view, renderedPath("single_ad_view")).ok());

  window->tap(view->adImage()->convertPoint({140, 170}, nullptr));
  EXPECT_EQ(ui::Application::shared().openedURLs(), std::vector<std::string>{"https://shop.example/x?y=1?p=i-play"});
  auto events = services::UsageAnalytics::pendingEvents();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].eventId, "i-play");
  EXPECT_EQ(events[2].eventId, "i-play-click");
  EXPECT_EQ(events[2].attributes["link"], Value("https://shop.example/x?y=1"));

  view->ResetXibWithAd({{"img", "x"}, {"ad", "a"}, {"link", "javascript:alert(1)"}});
  window->tap(view->adImage()->convertPoint({140, 170}, nullptr));
  EXPECT_EQ(ui::Application::shared().openedURLs().size(), 1u);

  window->tap(view->closeButton()->convertPoint({50, 17}, nullptr));
  EXPECT_FALSE(window->viewWithTag(SingleAdView::kViewTag));
}

}  // namespace
}  // namespace playback
