#include <gtest/gtest.h>

#include <sstream>

#include "tests/http/EngineTestSupport.h"
#include "tests/http/NginxServer.h"

namespace http::test {
namespace {

// The engine against a server nobody here wrote.
class NginxTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (NginxServer::program().empty()) GTEST_SKIP() << "nginx is not installed (Debian package nginx-light)";
    for (int line = 0; line < 4000; ++line) text += "line " + std::to_string(line) + " of the text file\n";
    writeFile(nginx.www() + "/text.txt", bytesOf(text));
    song = noise(1 << 20);
    writeFile(nginx.www() + "/song.bin", song);
    std::string failure = nginx.start();
    ASSERT_TRUE(failure.empty()) << failure;
  }

  std::shared_ptr<HTTPRequest> get(const std::string& path) {
    delegate = std::make_shared<RecordingDelegate>();
    auto request = makeRequest(nginx.url(path));
    return request;
  }
  // Access-log lines as (connection, request on it).
  std::vector<std::pair<std::string, int>> loggedRequests() {
    nginx.stop();
    std::vector<std::pair<std::string, int>> lines;
    std::istringstream log(nginx.accessLog());
    std::string connection;
    int number = 0;
    std::string rest;
    while (log >> connection >> number && std::getline(log, rest)) lines.emplace_back(connection, number);
    return lines;
  }

  NginxServer nginx;
  std::string text;
  foundation::Bytes song;
  TemporaryDirectory directory;
};

TEST_F(NginxTest, SequentialRequestsKeepOneConnectionAlive) {
  for (int i = 0; i < 3; ++i) {
    auto request = get("/song.bin");
    runToEnd(request);
    ASSERT_EQ(request->responseStatusCode(), 200);
    EXPECT_EQ(request->rawResponseData(), song);
  }
  auto lines = loggedRequests();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].first, lines[2].first);
  EXPECT_EQ(lines[2].second, 3);
}

TEST_F(NginxTest, GzipTextIsInflatedInMemoryAndIntoAFile) {
  auto inMemory = get("/text.txt");
  runToEnd(inMemory);
  EXPECT_TRUE(inMemory->isResponseCompressed());
  EXPECT_LT(inMemory->rawResponseData().size(), text.size());
  EXPECT_EQ(inMemory->responseString(), text);

  auto toFile = get("/text.txt");
  toFile->setDownloadDestinationPath(directory.file("text.txt"));
  toFile->setShouldWaitToInflateCompressedResponses(false);
  runToEnd(toFile);
  EXPECT_EQ(readFile(directory.file("text.txt")), bytesOf(text));
}

TEST_F(NginxTest, APartialDownloadResumesWithARange) {
  foundation::Bytes partial(song.begin(), song.begin() + 300000);
  writeFile(directory.file("song.temp"), partial);
  auto request = get("/song.bin");
  request->setDownloadDestinationPath(directory.file("song.bin"));
  request->setTemporaryFileDownloadPath(directory.file("song.temp"));
  request->setAllowResumeForFileDownloads(true);
  runToEnd(request);
  EXPECT_EQ(request->responseStatusCode(), 206);
  EXPECT_EQ(request->contentLength(), song.size() - partial.size());
  EXPECT_EQ(readFile(directory.file("song.bin")), song);
}

}  // namespace
}  // namespace http::test
