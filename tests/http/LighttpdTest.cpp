#include <gtest/gtest.h>

#include <filesystem>

#include "tests/http/EngineTestSupport.h"
#include "tests/http/LighttpdServer.h"

namespace http::test {
namespace {

// Resuming downloads from a server nobody here wrote.
class LighttpdTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (LighttpdServer::program().empty()) GTEST_SKIP() << "lighttpd is not installed (Debian package lighttpd)";
    song = noise(300000);
    writeFile(lighttpd.www() + "/song.bin", song);
    std::string failure = lighttpd.start();
    ASSERT_TRUE(failure.empty()) << failure;
  }

  std::shared_ptr<HTTPRequest> resume(std::size_t partialSize) {
    delegate = std::make_shared<RecordingDelegate>();
    writeFile(temporary, foundation::Bytes(song.begin(), song.begin() + static_cast<long>(partialSize)));
    auto request = makeRequest(lighttpd.url("/song.bin"));
    request->setDownloadDestinationPath(destination);
    request->setTemporaryFileDownloadPath(temporary);
    request->setAllowResumeForFileDownloads(true);
    return request;
  }

  LighttpdServer lighttpd;
  foundation::Bytes song;
  TemporaryDirectory directory;
  std::string destination = directory.file("song.bin");
  std::string temporary = directory.file("song.part");
};

TEST_F(LighttpdTest, AResumeOfAFileChangedSinceIsNotMixedWithTheOldPart) {
  auto request = resume(1000);
  // The partial file came from an earlier version of the file, which had this validator.
  writeFile(temporary + ".validator", bytesOf("\"an-earlier-version\""));
  foundation::Bytes changed(song.rbegin(), song.rend());
  writeFile(lighttpd.www() + "/new.bin", changed);
  std::filesystem::rename(lighttpd.www() + "/new.bin", lighttpd.www() + "/song.bin");
  runToEnd(request);
  EXPECT_EQ(request->responseStatusCode(), 200);
  EXPECT_EQ(readFile(destination), changed);
}

TEST_F(LighttpdTest, ABareRefusalCompletesAValidatedPartialAndSetsAsideAnUnvalidatedOne) {
  // lighttpd refuses a range past the end without telling the length. Without a validator
  // nothing says the partial file is this file: it is not kept.
  auto request = resume(song.size());
  runToEnd(request);
  EXPECT_EQ(request->responseStatusCode(), 416);
  EXPECT_EQ(delegate->count("failed"), 1);
  EXPECT_FALSE(std::filesystem::exists(temporary));

  delegate = std::make_shared<RecordingDelegate>();  // the refusal's delegate has already heard its end
  auto probe = makeRequest(lighttpd.url("/song.bin"));
  runToEnd(probe);
  const std::string tag = probe->responseHeaders()["ETag"].toString();
  ASSERT_FALSE(tag.empty());
  request = resume(song.size());
  writeFile(temporary + ".validator", bytesOf(tag));
  runToEnd(request);
  EXPECT_EQ(delegate->count("finished"), 1);
  EXPECT_EQ(readFile(destination), song);
}

}  // namespace
}  // namespace http::test
