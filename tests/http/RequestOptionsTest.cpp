#include <gtest/gtest.h>

#include "platform/foundation/DeviceInfo.h"
#include "platform/foundation/Locale.h"
#include "src/http/ConnectionPool.h"
#include "src/http/DataDecompressor.h"
#include "src/http/DownloadCache.h"
#include "tests/http/EngineTestSupport.h"

namespace http::test {
namespace {

using testsupport::Reply;

class RequestOptionsTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    foundation::Locale::setCurrentForTesting(foundation::Locale("zh_CN"));
    HTTPRequest::setDefaultUserAgentString(std::nullopt);  // computed again from the device
  }
  void TearDown() override {
    foundation::DeviceInfo::setCurrentForTesting(std::nullopt);
    foundation::Locale::setCurrentForTesting(std::nullopt);
    HTTPRequest::setDefaultUserAgentString(std::nullopt);
    foundation::Clock::useRealClock();
    EngineTest::TearDown();
  }
  static void useDevice(std::string name, std::string shortVersion, std::string build) {
    foundation::DeviceInfo info;
    info.model = "x86_64";
    info.systemName = "Linux";
    info.systemVersion = "6.1.0";
    info.bundleName = std::move(name);
    info.bundleShortVersion = std::move(shortVersion);
    info.bundleVersion = std::move(build);
    foundation::DeviceInfo::setCurrentForTesting(info);
  }
};

TEST_F(RequestOptionsTest, ContentTypeGivesTheMimeTypeAndAKnownCharset) {
  struct Case {
    std::optional<std::string> header;
    std::string mimeType;
    std::string encoding;
  };
  const Case cases[] = {
      {"text/html; charset=UTF-8", "text/html", "UTF-8"},
      {"text/html;charset=gbk;format=flowed", "text/html", "gbk"},
      {"  application/json  ", "application/json", "ISO-8859-1"},
      {"text/plain; charset=klingon", "text/plain", "ISO-8859-1"},
      {"text/plain; charset=", "text/plain", "ISO-8859-1"},
      {";charset=UTF-8", ";charset=UTF-8", "ISO-8859-1"},
      {std::nullopt, "unchanged", "ISO-8859-1"},
  };
  for (const auto& c : cases) {
    std::string mimeType = "unchanged";
    std::string encoding = "ISO-8859-1";
    HTTPRequest::parseMimeType(mimeType, encoding, c.header);
    EXPECT_EQ(mimeType, c.mimeType) << c.header.value_or("(none)");
    EXPECT_EQ(encoding, c.encoding) << c.header.value_or("(none)");
  }
}

TEST_F(RequestOptionsTest, DefaultUserAgentNamesTheApplicationAndTheDevice) {
  useDevice("ZunoRadio", "2.1", "2.1");
  EXPECT_EQ(HTTPRequest::defaultUserAgentString(), "ZunoRadio 2.1 (x86_64; Linux 6.1.0; zh_CN)");

  HTTPRequest::setDefaultUserAgentString(std::nullopt);
  useDevice("ZunoRadio", "2.1", "2105");
  EXPECT_EQ(HTTPRequest::defaultUserAgentString(), "ZunoRadio 2.1 rv:2105 (x86_64; Linux 6.1.0; zh_CN)");
  useDevice("Other", "9", "9");
  EXPECT_EQ(HTTPRequest::defaultUserAgentString(), "ZunoRadio 2.1 rv:2105 (x86_64; Linux 6.1.0; zh_CN)")
      << "computed once";

  HTTPRequest::setDefaultUserAgentString(std::nullopt);
  useDevice("", "1", "1");
  EXPECT_EQ(HTTPRequest::defaultUserAgentString(), std::nullopt);
}

TEST_F(RequestOptionsTest, RequestsSendTheDefaultUserAgentUnlessTheyHaveTheirOwn) {
  server.route("GET", "/ua", Reply::text("ok"));
  HTTPRequest::setDefaultUserAgentString("Default/1.0");
  runToEnd(makeRequest(server.url("/ua")));
  auto own = makeRequest(server.url("/ua"));
  own->setUserAgentString("Own/2.0");
  delegate = std::make_shared<RecordingDelegate>();
  own->setDelegate(delegate);
  runToEnd(own);
  auto header = makeRequest(server.url("/ua"));
  header->addRequestHeader("User-Agent", "Header/3.0");
  delegate = std::make_shared<RecordingDelegate>();
  header->setDelegate(delegate);
  runToEnd(header);
  auto received = server.requests();
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(received[0].header("User-Agent"), "Default/1.0");
  EXPECT_EQ(received[1].header("User-Agent"), "Own/2.0");
  EXPECT_EQ(received[2].header("User-Agent"), "Header/3.0");
}

TEST_F(RequestOptionsTest, MimeTypeOfAFile) {
  TemporaryDirectory files;
  writeFile(files.file("a.txt"), bytesOf("t"));
  writeFile(files.file("a.unknownextension"), bytesOf("t"));
  EXPECT_EQ(HTTPRequest::mimeTypeForFileAtPath(files.file("a.txt")), "text/plain");
  EXPECT_EQ(HTTPRequest::mimeTypeForFileAtPath(files.file("a.unknownextension")), "application/octet-stream");
  EXPECT_EQ(HTTPRequest::mimeTypeForFileAtPath(files.file("missing.txt")), std::nullopt);
}

TEST_F(RequestOptionsTest, Base64PadsTheLastGroup) {
  EXPECT_EQ(HTTPRequest::base64forData(bytesOf("a")), "YQ==");
  EXPECT_EQ(HTTPRequest::base64forData(bytesOf("ab")), "YWI=");
  EXPECT_EQ(HTTPRequest::base64forData(bytesOf("user:pass")), "dXNlcjpwYXNz");
  EXPECT_EQ(HTTPRequest::base64forData({}), "");
}

TEST_F(RequestOptionsTest, SynchronousRequestsReturnWhenDone) {
  server.route("GET", "/sync", Reply::text("in one go"));
  auto request = makeRequest(server.url("/sync"));
  request->startSynchronous();
  EXPECT_TRUE(request->isFinished());
  EXPECT_TRUE(request->isSynchronous());
  EXPECT_EQ(request->responseString(), "in one go");
  EXPECT_EQ(delegate->count("finished"), 1);

  auto failing = makeRequest("http://127.0.0.1:1/refused");
  failing->startSynchronous();
  EXPECT_TRUE(failing->isFinished());
  EXPECT_TRUE(isRequestError(failing->error(), HTTPRequestErrorCode::connectionFailure));
}

TEST_F(RequestOptionsTest, IdleConnectionsExpire) {
  auto clock = std::make_shared<foundation::ManualClock>();
  foundation::Clock::setCurrent(clock);
  server.route("GET", "/kept", Reply::text("kept").header("Keep-Alive", "timeout=5, max=100"));
  auto request = makeRequest(server.url("/kept"));
  runToEnd(request);
  auto connection = request->connectionID();
  ASSERT_TRUE(connection);
  auto& pool = ConnectionPool::shared();
  auto recordOfRequest = [&] {
    std::scoped_lock lock(pool.lock());
    for (const auto& record : pool.records()) {
      if (record->id == *connection) return true;
    }
    return false;
  };
  HTTPRequest::expirePersistentConnections();
  EXPECT_TRUE(recordOfRequest());
  clock->advance(foundation::Duration(6));
  HTTPRequest::expirePersistentConnections();
  EXPECT_FALSE(recordOfRequest());
}

TEST_F(RequestOptionsTest, ACopySendsTheBuiltRequestAgain) {
  server.route("POST", "/copy", Reply::text("copied"));
  auto original = makeRequest(server.url("/copy"));
  original->addRequestHeader("X-Token", "t");
  original->appendPostData(bytesOf("a body worth compressing, compressing, compressing"));
  original->setShouldCompressRequestBody(true);
  original->setTag(42);
  runToEnd(original);

  auto copied = original->copy();
  EXPECT_EQ(copied->tag(), 42);
  EXPECT_FALSE(copied->complete());
  EXPECT_EQ(copied->responseStatusCode(), 0);
  delegate = std::make_shared<RecordingDelegate>();
  copied->setDelegate(delegate);
  wakeMainLoopWhenFinished(*copied);
  runToEnd(copied);
  EXPECT_EQ(copied->responseString(), "copied");
  auto received = server.requests();
  ASSERT_EQ(received.size(), 2u);
  // The body built gzipped goes out as built: same bytes, same length, same headers.
  EXPECT_EQ(received[1].body, received[0].body);
  EXPECT_EQ(received[1].header("Content-Encoding"), "gzip");
  EXPECT_EQ(received[1].header("X-Token"), "t");
  auto inflated = DataDecompressor::uncompressData(bytesOf(received[1].body));
  ASSERT_TRUE(inflated.ok());
  EXPECT_EQ(*inflated, bytesOf("a body worth compressing, compressing, compressing"));
}

TEST_F(RequestOptionsTest, ACopyTakesEverySettingAndTheSchemeItAnsweredWith) {
  server.route("GET", "/vault", [](const testsupport::RecordedRequest& request) {
    return testsupport::hasBasicCredentials(request, "ann", "secret") ? Reply::text("welcome")
                                                                      : Reply::basicChallenge("vault");
  });
  auto original = makeRequest(server.url("/vault"));
  original->setUsername("ann");
  original->setPassword("secret");
  runToEnd(original);
  ASSERT_EQ(original->authenticationScheme(), "Basic");

  HTTPRequest::clearSession();  // only what the copy holds may answer the server
  delegate = std::make_shared<RecordingDelegate>();
  auto copied = original->copy();
  copied->setDelegate(delegate);
  wakeMainLoopWhenFinished(*copied);
  runToEnd(copied);
  EXPECT_EQ(copied->responseString(), "welcome");
  EXPECT_EQ(server.requestCount("/vault"), 3u) << "the copy sends its credentials before any challenge";

  auto progress = std::make_shared<RecordingProgress>();
  auto cache = std::make_shared<DownloadCache>();
  original->setDelegate(delegate);
  original->setUploadProgressDelegate(progress);
  original->setDownloadProgressDelegate(progress);
  original->setRequestMethod("PUT");
  original->addRequestHeader("X-Token", "t");
  net::Cookie cookie;
  cookie.name = "c";
  original->setRequestCookies({cookie});
  original->setUseCookiePersistence(false);
  original->setAllowCompressedResponse(false);
  original->setShouldCompressRequestBody(true);
  original->setDownloadDestinationPath("/nowhere/song");
  original->setTemporaryFileDownloadPath("/nowhere/song.part");
  original->setAllowResumeForFileDownloads(true);
  original->setTimeOutSeconds(3);
  original->setNumberOfTimesToRetryOnTimeout(2);
  original->setShowAccurateProgress(false);
  original->setShouldResetUploadProgress(false);
  original->setShouldResetDownloadProgress(false);
  original->setDefaultResponseEncoding("UTF-8");
  original->setUseHTTPVersionOne(true);
  original->setShouldRedirect(false);
  original->setShouldUseRFC2616RedirectBehaviour(true);
  original->setValidatesSecureCertificate(false);
  original->setShouldAttemptPersistentConnection(false);
  original->setPersistentConnectionTimeoutSeconds(5);
  original->setProxy("127.0.0.2", 3128);
  original->setProxyType("HTTP");
  original->setPACurl("http://127.0.0.1/proxy.pac");
  original->setDomain("CORP");
  original->setProxyUsername("pat");
  original->setProxyPassword("pass");
  original->setProxyDomain("GATE");
  original->setShouldPresentCredentialsBeforeChallenge(false);
  original->setShouldPresentAuthenticationDialog(true);
  original->setShouldPresentProxyAuthenticationDialog(false);
  original->setUseSessionPersistence(false);
  original->setUseKeychainPersistence(true);
  original->setUserInfo({{"k", "v"}});
  original->setTag(7);
  original->setDidStartSelector(&HTTPRequestDelegate::requestFinished);
  original->setDidFinishSelector(&HTTPRequestDelegate::requestStarted);
  original->setDidFailSelector(&HTTPRequestDelegate::requestStarted);
  original->setPostBody(bytesOf("body"));
  original->setShouldStreamPostDataFromDisk(true);
  original->setPostBodyFilePath("/nowhere/body");
  original->setDownloadCache(cache);
  original->setCachePolicy(kDoNotReadFromCache);
  original->setCacheStoragePolicy(kCachePermanently);
  original->setSecondsToCache(60);
  EXPECT_TRUE(original->copy()->settings() == original->settings());
}

}  // namespace
}  // namespace http::test
