#include <gtest/gtest.h>

#include "platform/foundation/Url.h"
#include "src/framework/cache/DataCacheManager.h"
#include "src/framework/request/QRVBaseDataRequest.h"
#include "tests/framework/request/DataRequestTestSupport.h"

namespace framework {
namespace {

using datarequesttest::RecordingDelegate;
using foundation::Dictionary;
using foundation::Value;

// The reply road without a network: the base request sends nothing, so a test feeds it text.
class ReplyRoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::Paths::useFreshHomeForTesting();
    foundation::UserDefaults::standardUserDefaults().reloadForTesting();
    DataCacheManager::resetSharedManagerForTesting();
  }
  void TearDown() override { DataCacheManager::resetSharedManagerForTesting(); }

  std::shared_ptr<QRVBaseDataRequest> withDelegate(std::string cacheKey = {}, std::int32_t cacheType = 0) {
    auto request = std::make_shared<QRVBaseDataRequest>();
    request->initWithDelegate(delegate, std::nullopt, {}, nullptr, {}, false, std::move(cacheKey), cacheType, {});
    return request;
  }

  std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
};

TEST_F(ReplyRoadTest, AnObjectReplyIsTheResultAndANonOkErrStillFinishes) {
  auto request = withDelegate();
  EXPECT_TRUE(request->handleResultString("  \r\n{\"err\":\"hapn.u_login\",\"data\":{}}\n\t "));
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"finish"}));
  EXPECT_EQ(request->resultString(), "{\"err\":\"hapn.u_login\",\"data\":{}}");
  EXPECT_EQ(request->resultDic()["err"], Value("hapn.u_login"));
  EXPECT_TRUE(request->isSuccess());  // the outcome is in "err", which callers read
}

TEST_F(ReplyRoadTest, ATopLevelArrayArrivesUnderData) {
  auto request = withDelegate();
  EXPECT_TRUE(request->handleResultString("[1,2]"));
  EXPECT_EQ(request->resultDic(), (Dictionary{{"data", foundation::Array{1, 2}}}));
  EXPECT_EQ(delegate->count("finish"), 1);
}

TEST_F(ReplyRoadTest, BlankUnreadableAndNonObjectRepliesFailInsteadOfFallingSilent) {
  for (const char* reply :
       {"", " \r\n\t ", "<html>502 Bad Gateway</html>", "{\"err\":", "12", "\"hapn.ok\"", "null", "true"}) {
    SCOPED_TRACE(reply);
    auto recording = std::make_shared<RecordingDelegate>();
    auto request = std::make_shared<QRVBaseDataRequest>();
    request->initWithDelegate(recording, std::nullopt, {}, nullptr, {}, false, {}, 0, {});
    EXPECT_FALSE(request->handleResultString(std::string(reply)));
    EXPECT_EQ(recording->events, (std::vector<std::string>{"fail"}));
    ASSERT_NE(recording->failure, nullptr);
    EXPECT_EQ(recording->failure->domain(), foundation::kUrlErrorDomain);
    EXPECT_EQ(recording->failure->code(), kUnreadableReplyError);
    EXPECT_TRUE(request->resultDic().empty());
  }
  auto request = withDelegate();
  EXPECT_FALSE(request->handleResultString(std::nullopt));
  EXPECT_EQ(delegate->count("fail"), 1);
}

TEST_F(ReplyRoadTest, OnlyTheTextOneAsResultCodeIsAFailure) {
  auto request = withDelegate();
  ASSERT_TRUE(request->handleResultString("{\"result\":{\"code\":\"1\",\"msg\":\"x\"}}"));
  EXPECT_FALSE(request->isSuccess());
  ASSERT_TRUE(request->handleResultString("{\"result\":{\"code\":1}}"));
  EXPECT_TRUE(request->isSuccess());
  ASSERT_TRUE(request->handleResultString("{\"result\":\"1\"}"));
  EXPECT_TRUE(request->isSuccess());
  EXPECT_FALSE(std::make_shared<QRVBaseDataRequest>()->isSuccess());  // no reply yet
}

TEST_F(ReplyRoadTest, BlocksHearTheRoadWhenThereIsNoDelegate) {
  std::vector<std::string> heard;
  QRVRequestBlocks blocks;
  blocks.onRequestFinished = [&](QRVBaseDataRequest&) { heard.push_back("finish"); };
  blocks.onRequestFailed = [&](QRVBaseDataRequest&, const foundation::ErrorPtr& error) {
    heard.push_back("fail " + std::to_string(error->code()));
  };
  auto request = std::make_shared<QRVBaseDataRequest>();
  request->initWithParameters({}, std::nullopt, nullptr, {}, true, {}, 0, {}, blocks);
  request->handleResultString("{}");
  request->handleResultString("not json");
  EXPECT_EQ(heard, (std::vector<std::string>{"finish", "fail 0"}));
}

TEST_F(ReplyRoadTest, SuccessfulResultsAreCachedInMemoryOrPersistentlyByCacheType) {
  withDelegate("memoryKey", 0)->handleResultString("{\"err\":\"hapn.ok\",\"data\":{\"n\":1}}");
  withDelegate("diskKey", 1)->handleResultString("{\"err\":\"hapn.ok\",\"data\":{\"n\":2}}");
  withDelegate("failedKey", 1)->handleResultString("{\"result\":{\"code\":\"1\"}}");
  DataCacheManager& cache = DataCacheManager::sharedManager();
  EXPECT_EQ(cache.getCachedObjectByKey("memoryKey")["data"]["n"], Value(1));
  EXPECT_EQ(cache.getCachedObjectByKey("diskKey")["data"]["n"], Value(2));
  EXPECT_TRUE(cache.getCachedObjectByKey("failedKey").isNull());

  foundation::UserDefaults::standardUserDefaults().reloadForTesting();
  DataCacheManager::resetSharedManagerForTesting();
  EXPECT_TRUE(DataCacheManager::sharedManager().getCachedObjectByKey("memoryKey").isNull());
  EXPECT_EQ(DataCacheManager::sharedManager().getCachedObjectByKey("diskKey")["data"]["n"], Value(2));
}

}  // namespace
}  // namespace framework
