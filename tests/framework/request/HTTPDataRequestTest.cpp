#include <gtest/gtest.h>

#include <thread>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Url.h"
#include "platform/ui/Image.h"
#include "src/framework/model/QRVModel.h"
#include "src/framework/request/QRVDataRequestFactories.h"
#include "src/framework/request/QRVHTTPBaseDataRequest.h"
#include "src/framework/request/QRVMaskActivityView.h"
#include "src/http/HTTPRequestErrors.h"
#include "tests/framework/request/DataRequestTestSupport.h"

namespace framework {
namespace {

using foundation::Dictionary;
using foundation::Value;
using station::FieldList;

// A request class of the simplest kind: a URL and a method, the base result step.
class ProbeRequest : public QRVHTTPBaseDataRequest, public QRVDataRequestFactories<ProbeRequest> {
 public:
  static inline std::string url;
  static inline int method = 0;
  static inline int madeOffMainThread = 0;

  std::string getRequestUrl() const override { return url; }
  int getRequestMethod() const override { return method; }
  void doRequestWithParams(const Dictionary& parameters) override {
    if (!foundation::RunLoop::isMainThread()) ++madeOffMainThread;
    QRVHTTPBaseDataRequest::doRequestWithParams(parameters);
  }
};

class HTTPDataRequestTest : public datarequesttest::DataRequestTest {
 protected:
  void SetUp() override {
    DataRequestTest::SetUp();
    api.answerWithBody("probe.echo", "{\"err\":\"hapn.ok\",\"data\":{\"echo\":\"回声\"}}");
    ProbeRequest::url = api.baseUrl() + "/api/probe.echo.json?";
    ProbeRequest::method = 0;
    ProbeRequest::madeOffMainThread = 0;
  }

  station::StationCall onlyCall() const {
    std::vector<station::StationCall> calls = api.callsTo("probe.echo");
    EXPECT_EQ(calls.size(), 1u);
    return calls.empty() ? station::StationCall() : calls.front();
  }
};

TEST_F(HTTPDataRequestTest, AGetCarriesTheStaticParametersEscapedAfterOneQuestionMark) {
  ProbeRequest::requestWithDelegate(delegate);
  runToEnd();
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"start", "finish"}));
  EXPECT_EQ(delegate->resultDic["data"]["echo"], Value("回声"));
  const station::StationCall call = onlyCall();
  EXPECT_EQ(call.httpMethod, "GET");
  EXPECT_EQ(call.rawQuery, "device_id=&luid=&device=Linux%206.1.0");
  EXPECT_TRUE(call.form.empty());
}

TEST_F(HTTPDataRequestTest, CallerParametersOverrideStaticOnesAndFollowThem) {
  ProbeRequest::requestWithDelegate(delegate,
                                    Dictionary{{"keyword", "周 杰伦&"}, {"device_id", "push-77"}, {"_pn", 2}});
  runToEnd();
  EXPECT_EQ(onlyCall().rawQuery,
            "device_id=push-77&luid=&device=Linux%206.1.0&keyword=%E5%91%A8%20%E6%9D%B0%E4%BC%A6%26&_pn=2");
}

// The framework knows the logged-in user only as a model with a "luid" attribute.
class Account final : public QRVModel<Account> {
 public:
  static constexpr const char* kClassName = "HTTPDataRequestTestAccount";
  static const QRVModelProperties<Account>& properties() {
    static const auto table = QRVModelProperties<Account>().text("luid", &Account::luid_);
    return table;
  }
  QRV_TEXT_PROPERTY(luid, Luid)
};

TEST_F(HTTPDataRequestTest, TheLoggedInUsersLoginIdIsSentAsLuid) {
  ASSERT_TRUE(DataCacheManager::sharedManager()
                  .addObject(Value(Account::initWithDataDic({{"luid", "c2VjcmV0"}})), kUserIsLoginCacheKey)
                  .ok());
  ProbeRequest::requestWithDelegate(delegate);
  runToEnd();
  EXPECT_EQ(onlyCall().queryValue("luid"), "c2VjcmV0");
}

TEST_F(HTTPDataRequestTest, APostOfTextIsUrlEncodedAndAPictureMakesItMultipart) {
  ProbeRequest::method = 1;
  ProbeRequest::requestWithDelegate(delegate, Dictionary{{"program_name", "午后 & 咖啡"}, {"pub", 1}});
  runToEnd();
  station::StationCall call = onlyCall();
  EXPECT_EQ(call.httpMethod, "POST");
  EXPECT_TRUE(call.rawQuery.empty());
  EXPECT_TRUE(call.contentType.starts_with("application/x-www-form-urlencoded"));
  EXPECT_EQ(
      call.form,
      (FieldList{
          {"device_id", ""}, {"luid", ""}, {"device", "Linux 6.1.0"}, {"program_name", "午后 & 咖啡"}, {"pub", "1"}}));

  delegate = std::make_shared<datarequesttest::RecordingDelegate>();
  auto picture = ui::Image::fromPixels(2, 2, std::vector<std::uint32_t>(4, 0xFF336699u));
  ProbeRequest::requestWithDelegate(
      delegate, Dictionary{{"photo_name", "猫"}, {"photo", Value(std::const_pointer_cast<ui::Image>(picture))}});
  runToEnd();
  call = api.callsTo("probe.echo").back();
  EXPECT_TRUE(call.contentType.starts_with("multipart/form-data"));
  EXPECT_EQ(call.formValue("photo_name"), "猫");
  ASSERT_EQ(call.files.size(), 1u);
  EXPECT_EQ(call.files[0].name, "photo");
  EXPECT_EQ(call.files[0].fileName, "image.jpg");
  EXPECT_EQ(call.files[0].contentType, "image/jpeg");
  ASSERT_GE(call.files[0].body.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(call.files[0].body[0]), 0xFF);  // a JPEG's start of image
  EXPECT_EQ(static_cast<unsigned char>(call.files[0].body[1]), 0xD8);
}

TEST_F(HTTPDataRequestTest, AParameterWithoutTextFailsTheRequestBeforeAnythingIsSent) {
  ProbeRequest::requestWithDelegate(delegate, Dictionary{{"ids", foundation::Array{1, 2}}}, host);
  runToEnd();
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"fail"}));
  EXPECT_EQ(delegate->failure->domain(), kDataRequestErrorDomain);
  EXPECT_EQ(api.callCount(), 0u);
  EXPECT_EQ(labelsWithText(*host, kNoNetworkToastText), 0);

  delegate = std::make_shared<datarequesttest::RecordingDelegate>();
  ProbeRequest::requestWithDelegate(delegate, Dictionary{{"raw", foundation::Bytes{1, 2, 3}}});  // bytes in a query
  runToEnd();
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"fail"}));
  EXPECT_EQ(api.callCount(), 0u);
}

TEST_F(HTTPDataRequestTest, TheMaskCoversTheIndicatorViewWhileTheRequestRuns) {
  api.holdReplies("probe.echo");
  ProbeRequest::requestWithDelegate(delegate, host);
  ASSERT_TRUE(runUntil([&] { return delegate->count("start") == 1; }));
  ASSERT_EQ(liveRequests().size(), 1u);
  const auto& request = liveRequests().front();
  EXPECT_TRUE(request->isLoading());
  ASSERT_TRUE(request->maskActivityView());
  EXPECT_EQ(request->maskActivityView()->superview(), host.get());
  EXPECT_EQ(request->maskActivityView()->frame(), host->bounds());
  EXPECT_EQ(request->maskActivityView()->bgMaskView()->layer().cornerRadius(), 5.0);

  api.releaseHeldReplies();
  runToEnd();
  step(QRVMaskActivityView::kFadeSeconds + 0.05);
  EXPECT_TRUE(host->subviews().empty());
}

TEST_F(HTTPDataRequestTest, ATransportFailureToastsOnTheIndicatorViewOfADelegateRequest) {
  api.dropConnection("probe.echo");
  ProbeRequest::requestWithDelegate(delegate, Dictionary{}, host);
  runToEnd();
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"start", "fail"}));
  EXPECT_EQ(delegate->failure->domain(), http::kHTTPRequestErrorDomain);
  EXPECT_EQ(labelsWithText(*host, kNoNetworkToastText), 1);
  step(kNoNetworkToastSeconds + 1);
  EXPECT_EQ(labelsWithText(*host, kNoNetworkToastText), 0);
}

TEST_F(HTTPDataRequestTest, SilentBlockAndViewlessRequestsShowNoToast) {
  api.dropConnection("probe.echo");
  foundation::ErrorPtr blockFailure;
  bool finished = false;
  ProbeRequest::requestWithParameters(
      {},
      {.onRequestFinished = [&](QRVBaseDataRequest&) { finished = true; },
       .onRequestFailed = [&](QRVBaseDataRequest&, const foundation::ErrorPtr& error) { blockFailure = error; }},
      host);
  ASSERT_TRUE(runUntil([&] { return blockFailure && liveRequests().empty(); }));
  EXPECT_TRUE(http::isRequestError(blockFailure, http::HTTPRequestErrorCode::connectionFailure));
  EXPECT_FALSE(finished);

  ProbeRequest::silentRequestWithDelegate(delegate);
  runToEnd();
  delegate = std::make_shared<datarequesttest::RecordingDelegate>();
  ProbeRequest::requestWithDelegate(delegate);  // no indicator view: nowhere to show it
  runToEnd();
  EXPECT_EQ(delegate->count("fail"), 1);
  EXPECT_EQ(labelsWithText(*host, kNoNetworkToastText), 0);
}

TEST_F(HTTPDataRequestTest, ATimeOutAfterTenSecondsFailsWithTheToast) {
  api.holdReplies("probe.echo");
  ProbeRequest::requestWithDelegate(delegate, host);
  ASSERT_TRUE(runUntil([&] { return delegate->count("start") == 1 && api.callCount() == 1; }));
  advance(9.5);
  EXPECT_FALSE(delegate->ended());
  advance(1.0);
  runToEnd();
  EXPECT_TRUE(http::isRequestError(delegate->failure, http::HTTPRequestErrorCode::timedOut));
  EXPECT_EQ(labelsWithText(*host, kNoNetworkToastText), 1);
}

TEST_F(HTTPDataRequestTest, ACancelledRequestTellsItsCancelAndFailsWithoutAToast) {
  api.holdReplies("probe.echo");
  ProbeRequest::requestWithDelegate(delegate, host);
  ASSERT_TRUE(runUntil([&] { return delegate->count("start") == 1; }));
  auto request = std::dynamic_pointer_cast<QRVHTTPBaseDataRequest>(liveRequests().front());
  request->cancelRequest();
  runToEnd();
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"start", "fail", "cancel"}));
  EXPECT_TRUE(http::isRequestError(delegate->failure, http::HTTPRequestErrorCode::cancelled));
  EXPECT_EQ(labelsWithText(*host, kNoNetworkToastText), 0);
}

TEST_F(HTTPDataRequestTest, ServerErrorPagesAndBlankRepliesFailAsUnreadableWithoutAToast) {
  api.answerWithStatus("probe.echo", 502);
  ProbeRequest::requestWithDelegate(delegate, host);
  runToEnd();
  EXPECT_EQ(delegate->failure->domain(), foundation::kUrlErrorDomain);
  EXPECT_EQ(labelsWithText(*host, kNoNetworkToastText), 0);

  api.answerWithBody("probe.echo", " \r\n ");
  delegate = std::make_shared<datarequesttest::RecordingDelegate>();
  ProbeRequest::requestWithDelegate(delegate);
  runToEnd();
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"start", "fail"}));
}

TEST_F(HTTPDataRequestTest, ACachedReplyAnswersBeforeTheFactoryReturnsWithoutTraffic) {
  ASSERT_TRUE(DataCacheManager::sharedManager()
                  .addObjectToMemory(Dictionary{{"err", "hapn.ok"}, {"data", "cached"}}, "probe")
                  .ok());
  ProbeRequest::requestWithDelegate(delegate, Dictionary{}, "probe", 0);
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"finish"}));
  EXPECT_EQ(delegate->resultDic["data"], Value("cached"));
  ASSERT_EQ(liveRequests().size(), 1u);
  EXPECT_TRUE(liveRequests().front()->usingCacheData());
  step(QRVBaseDataRequest::kCacheReleaseDelaySeconds);
  EXPECT_TRUE(liveRequests().empty());
  EXPECT_EQ(api.callCount(), 0u);

  // A cached value that is not a reply dictionary is ignored and the request goes out.
  ASSERT_TRUE(DataCacheManager::sharedManager().addObjectToMemory(Value("stale"), "probe").ok());
  delegate = std::make_shared<datarequesttest::RecordingDelegate>();
  ProbeRequest::requestWithDelegate(delegate, Dictionary{}, "probe", 0);
  runToEnd();
  EXPECT_EQ(api.callCount(), 1u);
  EXPECT_EQ(DataCacheManager::sharedManager().getCachedObjectByKey("probe")["data"]["echo"], Value("回声"));
}

TEST_F(HTTPDataRequestTest, AFileDownloadReportsRisingProgressAndFinishes) {
  testsupport::Reply body = testsupport::Reply::text(std::string(200000, 'm'));
  body.trickleBytes = 50000;
  api.answer("probe.echo", body);
  const std::string path =
      foundation::Paths::appendingPathComponent(foundation::Paths::cachesDirectory(), "dl/song.mp3");
  ProbeRequest::requestWithDelegate(delegate, Dictionary{}, nullptr, "", path);
  runToEnd();
  EXPECT_EQ(delegate->events.back(), "finish");
  ASSERT_FALSE(delegate->progresses.empty());
  for (std::size_t i = 1; i < delegate->progresses.size(); ++i)
    EXPECT_GT(delegate->progresses[i], delegate->progresses[i - 1]);
  EXPECT_FLOAT_EQ(delegate->progresses.back(), 1.0f);
  EXPECT_EQ(foundation::FileManager::fileSize(path).value(), 200000u);

  delegate = std::make_shared<datarequesttest::RecordingDelegate>();
  api.answerWithBody("probe.echo", "{}");
  ProbeRequest::requestWithDelegate(delegate);
  runToEnd();
  EXPECT_EQ(delegate->count("progress"), 0);
}

// Past the bound a reply fails as it arrives, however small it came compressed, and the toast
// does not blame the network; a download to a file has no bound.
TEST_F(HTTPDataRequestTest, AnOversizedReplyFailsClearlyUnlessItGoesToAFile) {
  const std::string huge = "[" + std::string(QRVHTTPBaseDataRequest::kMaxReplyBytes, ' ') + "]";
  testsupport::Reply packed = testsupport::Reply::text(huge);
  packed.coding = testsupport::ContentCoding::kGzip;
  for (const testsupport::Reply& reply : {testsupport::Reply::text(huge), packed}) {
    api.answer("probe.echo", reply);
    delegate = std::make_shared<datarequesttest::RecordingDelegate>();
    ProbeRequest::requestWithDelegate(delegate, Dictionary{}, host);
    runToEnd();
    ASSERT_TRUE(delegate->failure);
    EXPECT_TRUE(http::isRequestError(delegate->failure, http::HTTPRequestErrorCode::responseTooLarge));
    EXPECT_EQ(delegate->failure->description(), "The reply is larger than the 8 MiB it may take");
    EXPECT_EQ(labelsWithText(*host, kNoNetworkToastText), 0);
  }
  const std::string path = foundation::Paths::appendingPathComponent(foundation::Paths::cachesDirectory(), "dl/big");
  delegate = std::make_shared<datarequesttest::RecordingDelegate>();
  ProbeRequest::requestWithDelegate(delegate, Dictionary{}, nullptr, "", path);
  runToEnd();
  EXPECT_EQ(delegate->events.back(), "finish");
  EXPECT_EQ(foundation::FileManager::fileSize(path).value(), huge.size());
}

TEST_F(HTTPDataRequestTest, AFactoryCalledOffTheMainThreadMakesItsRequestOnTheMainThread) {
  std::thread caller([this] { ProbeRequest::requestWithDelegate(delegate); });
  caller.join();
  runToEnd();
  EXPECT_EQ(ProbeRequest::madeOffMainThread, 0);
  EXPECT_EQ(delegate->offMainThreadCalls, 0);
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"start", "finish"}));
}

}  // namespace
}  // namespace framework
