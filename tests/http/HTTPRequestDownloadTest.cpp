#include <gtest/gtest.h>

#include <filesystem>

#include "tests/http/EngineTestSupport.h"

namespace http::test {
namespace {

using testsupport::RangeMode;
using testsupport::RecordedRequest;
using testsupport::Reply;

class DownloadTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    content = std::string(300000, '\0');
    auto bytes = noise(content.size());
    content.assign(bytes.begin(), bytes.end());
  }

  std::shared_ptr<HTTPRequest> download(const std::string& path, bool resume) {
    auto request = makeRequest(server.url(path));
    request->setDownloadDestinationPath(destination);
    request->setTemporaryFileDownloadPath(temporary);
    request->setAllowResumeForFileDownloads(resume);
    request->setDownloadProgressDelegate(progress);
    return request;
  }
  void servePartialFile(std::size_t size) { writeFile(temporary, bytesOf(content.substr(0, size))); }
  std::string fileText(const std::string& path) {
    auto bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
  }
  void route(RangeMode mode) {
    server.route("GET", "/file",
                 [this, mode](const RecordedRequest& request) { return Reply::ranged(request, content, mode); });
  }

  TemporaryDirectory directory;
  std::string destination = directory.file("song.mp3");
  std::string temporary = directory.file("song.temp");
  std::string content;
  std::shared_ptr<RecordingProgress> progress = std::make_shared<RecordingProgress>();
};

TEST_F(DownloadTest, TheBodyGoesThroughTheTemporaryFileIntoPlace) {
  route(RangeMode::kHonour);
  auto request = download("/file", false);
  runToEnd(request);
  EXPECT_EQ(delegate->count("finished"), 1);
  EXPECT_EQ(fileText(destination), content);
  EXPECT_FALSE(std::filesystem::exists(temporary));
  EXPECT_TRUE(request->rawResponseData().empty());
  EXPECT_EQ(progress->received, static_cast<std::int64_t>(content.size()));
  ASSERT_FALSE(progress->fractions.empty());
  EXPECT_EQ(progress->fractions.back(), 1.0f);
}

TEST_F(DownloadTest, WithoutATemporaryPathAUniqueOneIsUsed) {
  route(RangeMode::kHonour);
  auto request = makeRequest(server.url("/file"));
  request->setDownloadDestinationPath(destination);
  runToEnd(request);
  EXPECT_EQ(fileText(destination), content);
  EXPECT_TRUE(request->temporaryFileDownloadPath().empty());
}

TEST_F(DownloadTest, AResumedDownloadAppendsTheContinuingRange) {
  route(RangeMode::kHonour);
  servePartialFile(1000);
  auto request = download("/file", true);
  runToEnd(request);
  EXPECT_EQ(server.requests().at(0).header("Range"), "bytes=1000-");
  EXPECT_EQ(request->responseStatusCode(), 206);
  EXPECT_EQ(request->partialDownloadSize(), 1000u);
  EXPECT_EQ(fileText(destination), content);
  // The first report counts the bytes already on disk, as the announced size does.
  EXPECT_EQ(progress->downloadSize, static_cast<std::int64_t>(content.size()));
  EXPECT_EQ(progress->received, static_cast<std::int64_t>(content.size()));
}

TEST_F(DownloadTest, AServerIgnoringTheRangeStartsTheFileAgain) {
  route(RangeMode::kIgnore);
  servePartialFile(1000);
  auto request = download("/file", true);
  runToEnd(request);
  EXPECT_EQ(request->responseStatusCode(), 200);
  EXPECT_EQ(fileText(destination), content);
  EXPECT_EQ(request->partialDownloadSize(), 0u);
  EXPECT_EQ(progress->downloadSize, static_cast<std::int64_t>(content.size()));
}

TEST_F(DownloadTest, ARefusedRangeNeverBecomesTheFileButTheCompletePartialDoes) {
  route(RangeMode::kUnsatisfiable);
  servePartialFile(1000);
  auto refused = download("/file", true);
  runToEnd(refused);
  ASSERT_NE(delegate->failure, nullptr);
  EXPECT_TRUE(isRequestError(delegate->failure, HTTPRequestErrorCode::fileManagement));
  EXPECT_FALSE(std::filesystem::exists(destination));
  EXPECT_EQ(fileText(temporary), content.substr(0, 1000));  // kept for the next attempt

  // A partial file of the whole length is refused as a range but is the finished file.
  delegate = std::make_shared<RecordingDelegate>();
  route(RangeMode::kHonour);
  servePartialFile(content.size());
  auto complete = download("/file", true);
  runToEnd(complete);
  EXPECT_EQ(delegate->count("finished"), 1);
  EXPECT_EQ(complete->responseStatusCode(), 416);
  EXPECT_EQ(fileText(destination), content);
  EXPECT_FALSE(std::filesystem::exists(temporary));
}

TEST_F(DownloadTest, AResumeAfterTheFileChangedOnTheServerStartsAgain) {
  std::string changed(content.rbegin(), content.rend());
  Reply cut = Reply::text(content).header("ETag", "\"v1\"");
  cut.fault = testsupport::Fault::kCloseAfterBytes;
  cut.faultAfterBytes = 5000;
  server.route("GET", "/file", std::vector<Reply>{cut});
  runToEnd(download("/file", true));
  ASSERT_EQ(delegate->count("failed"), 1);
  ASSERT_GT(std::filesystem::file_size(temporary), 0u);
  ASSERT_TRUE(std::filesystem::exists(temporary + ".validator"));

  server.route("GET", "/file", [&](const RecordedRequest& request) {
    // The server's file is now another one: a range of it would not continue the partial file.
    if (request.header("If-Range") != "\"v2\"") return Reply::text(changed).header("ETag", "\"v2\"");
    return Reply::ranged(request, changed, RangeMode::kHonour);
  });
  delegate = std::make_shared<RecordingDelegate>();
  runToEnd(download("/file", true));
  EXPECT_EQ(server.requests().back().header("If-Range"), "\"v1\"");
  EXPECT_EQ(delegate->count("finished"), 1);
  EXPECT_EQ(fileText(destination), changed);
  EXPECT_FALSE(std::filesystem::exists(temporary + ".validator"));
}

TEST_F(DownloadTest, AnErrorPageIsNeverAppendedToThePartialFile) {
  server.route("GET", "/gone", Reply::text("<html>not found</html>", 404));
  server.route("GET", "/shifted", [this](const RecordedRequest&) {
    Reply reply;
    reply.status = 206;
    reply.body = content.substr(500);
    return reply.header("Content-Range",
                        "bytes 500-" + std::to_string(content.size() - 1) + "/" + std::to_string(content.size()));
  });
  for (const char* path : {"/gone", "/shifted"}) {
    delegate = std::make_shared<RecordingDelegate>();
    servePartialFile(1000);
    auto request = download(path, true);
    runToEnd(request);
    EXPECT_EQ(delegate->count("failed"), 1) << path;
    EXPECT_FALSE(std::filesystem::exists(destination)) << path;
    EXPECT_FALSE(std::filesystem::exists(temporary)) << path;
  }
}

TEST_F(DownloadTest, AFullDiskFailsTheDownloadInsteadOfFinishingIt) {
  route(RangeMode::kHonour);
  auto request = download("/file", true);
  request->setTemporaryFileDownloadPath("/dev/full");
  runToEnd(request);
  ASSERT_NE(delegate->failure, nullptr);
  EXPECT_TRUE(isRequestError(delegate->failure, HTTPRequestErrorCode::fileManagement));
  EXPECT_EQ(delegate->failure->description(), "Failed to write to file at path '/dev/full'");
  EXPECT_EQ(delegate->count("finished"), 0);
  EXPECT_FALSE(std::filesystem::exists(destination));
}

TEST_F(DownloadTest, ACancelledDownloadKeepsItsPartialFileForResuming) {
  Reply stalling;
  stalling.body = content;
  stalling.stallAfterBytes = 100000;
  server.route("GET", "/slow", stalling);
  route(RangeMode::kHonour);
  for (bool resume : {false, true}) {
    delegate = std::make_shared<RecordingDelegate>();
    progress = std::make_shared<RecordingProgress>();
    auto request = download("/slow", resume);
    request->startAsynchronous();
    ASSERT_TRUE(runUntil([&] { return progress->received > 0; }));
    request->cancel();
    request->cancel();
    ASSERT_TRUE(runUntil([&] { return delegate->ended() && request->isFinished(); }));
    EXPECT_EQ(delegate->count("failed"), 1);
    EXPECT_EQ(delegate->failure->description(), "The request was cancelled");
    EXPECT_TRUE(request->isCancelled());
    EXPECT_TRUE(std::filesystem::exists(temporary)) << "resume " << resume;
    EXPECT_FALSE(std::filesystem::exists(destination));
  }
  std::size_t kept = std::filesystem::file_size(temporary);
  ASSERT_GT(kept, 0u);
  delegate = std::make_shared<RecordingDelegate>();
  auto resumed = download("/file", true);
  runToEnd(resumed);
  EXPECT_EQ(server.requests().back().header("Range"), "bytes=" + std::to_string(kept) + "-");
  EXPECT_EQ(fileText(destination), content);
}

TEST_F(DownloadTest, AConnectionFailureRemovesOnlyANonResumablePartialFile) {
  Reply cut;
  cut.body = content;
  cut.fault = testsupport::Fault::kCloseAfterBytes;
  cut.faultAfterBytes = 150000;
  server.route("GET", "/cut", cut);
  for (bool resume : {false, true}) {
    delegate = std::make_shared<RecordingDelegate>();
    auto request = download("/cut", resume);
    runToEnd(request);
    EXPECT_TRUE(isRequestError(delegate->failure, HTTPRequestErrorCode::connectionFailure));
    EXPECT_EQ(std::filesystem::exists(temporary), resume);
  }
}

TEST_F(DownloadTest, GzipBodiesAreInflatedIntoTheDestination) {
  Reply gzipped = Reply::text(content);
  gzipped.coding = testsupport::ContentCoding::kGzip;
  server.route("GET", "/gz", gzipped);
  for (bool atTheEnd : {true, false}) {
    delegate = std::make_shared<RecordingDelegate>();
    auto request = download("/gz", false);
    request->setShouldWaitToInflateCompressedResponses(atTheEnd);
    runToEnd(request);
    EXPECT_EQ(delegate->count("finished"), 1);
    EXPECT_TRUE(request->isResponseCompressed());
    EXPECT_EQ(fileText(destination), content) << "inflated at the end: " << atTheEnd;
    EXPECT_FALSE(std::filesystem::exists(temporary));
    EXPECT_TRUE(request->temporaryUncompressedDataDownloadPath().empty());
  }
}

TEST_F(DownloadTest, CorruptGzipFailsWithTheCodecError) {
  Reply corrupt = Reply::text(content);
  corrupt.coding = testsupport::ContentCoding::kGzip;
  corrupt.corruptEncoding = true;
  server.route("GET", "/bad", corrupt);
  auto request = download("/bad", false);
  runToEnd(request);
  ASSERT_NE(delegate->failure, nullptr);
  EXPECT_TRUE(isRequestError(delegate->failure, HTTPRequestErrorCode::compression));
}

}  // namespace
}  // namespace http::test
