#include <gtest/gtest.h>

#include <filesystem>

#include "tests/http/EngineTestSupport.h"

namespace http::test {
namespace {

using testsupport::RangeMode;
using testsupport::RecordedRequest;
using testsupport::Reply;

// How a file download ends when a reply brings no body, when a redirect brings one, and when the
// body cannot be inflated.
class DownloadEndTest : public EngineTest {
 protected:
  std::shared_ptr<HTTPRequest> download(const std::string& path, bool resume) {
    delegate = std::make_shared<RecordingDelegate>();
    auto request = makeRequest(server.url(path));
    request->setDownloadDestinationPath(destination);
    request->setTemporaryFileDownloadPath(temporary);
    request->setAllowResumeForFileDownloads(resume);
    return request;
  }
  static std::string fileText(const std::string& path) {
    auto bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
  }
  static Reply withoutBody(int status) {
    Reply reply;
    reply.status = status;
    reply.noBody = true;
    return reply.header("Content-Length", "0");
  }

  TemporaryDirectory directory;
  std::string destination = directory.file("song.mp3");
  std::string temporary = directory.file("song.temp");
};

TEST_F(DownloadEndTest, ABodylessReplyTouchesNoFileUnlessItIsASuccess) {
  Reply challenge = withoutBody(401);
  challenge.header("WWW-Authenticate", "Basic realm=\"r\"");
  server.route("GET", "/challenge", challenge);
  server.route("GET", "/unchanged", withoutBody(304));
  server.route("GET", "/empty", withoutBody(204));
  writeFile(destination, bytesOf("kept"));
  auto challenged = download("/challenge", false);
  runToEnd(challenged);
  EXPECT_TRUE(isRequestError(delegate->failure, HTTPRequestErrorCode::authenticationNeeded));
  auto unchanged = download("/unchanged", false);
  runToEnd(unchanged);
  EXPECT_EQ(delegate->count("finished"), 1);
  EXPECT_EQ(fileText(destination), "kept");
  EXPECT_FALSE(std::filesystem::exists(temporary));

  auto empty = download("/empty", false);
  runToEnd(empty);
  EXPECT_EQ(delegate->count("finished"), 1);
  EXPECT_TRUE(std::filesystem::exists(destination));
  EXPECT_EQ(std::filesystem::file_size(destination), 0u);
}

TEST_F(DownloadEndTest, ARedirectsBodyIsReplacedOrDroppedWhenResuming) {
  const std::string content = "the whole song, from its first byte to its last";
  server.route("GET", "/moved", Reply::text("a page about the move", 302).header("Location", "/file"));
  server.route("GET", "/file", [&content](const RecordedRequest& request) {
    return Reply::ranged(request, content, RangeMode::kHonour);
  });

  auto plain = download("/moved", false);
  runToEnd(plain);
  EXPECT_EQ(fileText(destination), content);

  // With resume allowed, the redirect's page never lands in the partial file.
  std::filesystem::remove(destination);
  writeFile(temporary, bytesOf(content.substr(0, 9)));
  auto resumed = download("/moved", true);
  runToEnd(resumed);
  EXPECT_EQ(fileText(destination), content);
  EXPECT_EQ(server.requests().back().header("Range"), "bytes=9-");
}

TEST_F(DownloadEndTest, ABodyThatCannotBeInflatedWhileReadingFailsAndKeepsWhatArrived) {
  auto body = noise(2000000);
  Reply corrupt = Reply::text(std::string(body.begin(), body.end()));
  corrupt.coding = testsupport::ContentCoding::kGzip;
  corrupt.corruptEncoding = true;  // in the middle, after several good chunks
  server.route("GET", "/bad", corrupt);
  auto request = download("/bad", false);
  request->setShouldWaitToInflateCompressedResponses(false);
  runToEnd(request);
  EXPECT_TRUE(isRequestError(delegate->failure, HTTPRequestErrorCode::compression));
  EXPECT_GT(std::filesystem::file_size(temporary), 0u);
  EXPECT_TRUE(request->temporaryUncompressedDataDownloadPath().empty());
  EXPECT_FALSE(std::filesystem::exists(destination));
}

}  // namespace
}  // namespace http::test
