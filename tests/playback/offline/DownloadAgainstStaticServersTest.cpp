#include <gtest/gtest.h>

#include "src/http/HTTPRequest.h"
#include "tests/http/ApacheServer.h"
#include "tests/http/LighttpdServer.h"
#include "tests/playback/offline/DownloadFixture.h"

namespace playback {
namespace {

constexpr std::size_t kSongSize = 200000;

// Static servers that refuse a range starting at the end of the file with a bare 416, which does
// not say how long the file is.
class DownloadAgainstStaticServersTest : public testing::DownloadFixture {
 protected:
  // An earlier run was stopped after the song's last byte and before the move: `bytes` are in
  // the partial file, with `validator` kept beside it (none when empty).
  static void leavePartial(std::int64_t programId, int songId, const std::string& bytes, const std::string& validator) {
    const std::string partial = DownloadPaths::songTemporaryFile(5821, programId, songId);
    ASSERT_TRUE(foundation::FileManager::createDirectory(DownloadPaths::programDir(5821, programId)).ok());
    ASSERT_TRUE(foundation::FileManager::writeAtomically(partial, bytes).ok());
    if (!validator.empty()) {
      ASSERT_TRUE(foundation::FileManager::writeAtomically(partial + ".validator", validator).ok());
    }
  }
  std::string entityTagOf(const std::string& url) {
    auto request = http::HTTPRequest::requestWithURL(url);
    request->setCompletionHandler([] { foundation::performOnMainThread([] {}); });
    request->startAsynchronous();
    EXPECT_TRUE(runUntil([&] { return request->isFinished(); }));
    return request->responseHeaders()["ETag"].toString();
  }
  void pointAt(const std::string& programId, int songId, const std::string& url) {
    std::string& detail = details[programId];
    const std::string from = songServer.url("/song/" + std::to_string(songId) + ".mp3");
    detail.replace(detail.find(from), from.size(), url);
  }

  // With the validator the 416 says the partial is whole; without one the partial (here a stale
  // copy of the same length) is set aside and the song fetched again.
  void resumeFinishedSongsFrom(const std::string& www, const std::function<std::string(const std::string&)>& url) {
    for (int id : {1, 2}) {
      const std::string content = song(id, kSongSize);
      const std::string file = www + "/" + std::to_string(id) + ".mp3";
      http::test::writeFile(file, foundation::Bytes(content.begin(), content.end()));
    }
    programme("901", {1});
    programme("902", {2});
    pointAt("901", 1, url("/1.mp3"));
    pointAt("902", 2, url("/2.mp3"));
    const std::string tag = entityTagOf(url("/1.mp3"));
    ASSERT_FALSE(tag.empty());
    leavePartial(901, 1, songs[1], tag);
    leavePartial(902, 2, std::string(songs[2].rbegin(), songs[2].rend()), "");

    downloads().addDownloadProgramAndSyncWithId("901");
    runUntilPosted("notificationProgramIsDownloaded 901");
    EXPECT_TRUE(fileAt(901, 1) == songs[1]);

    downloads().addDownloadProgramAndSyncWithId("902");
    ASSERT_TRUE(runUntil([&] {
      return !downloads().isDownloading() &&
             !foundation::FileManager::fileExists(DownloadPaths::songTemporaryFile(5821, 902, 2));
    })) << "the unvalidated partial was kept";
    EXPECT_EQ(std::count(posted.begin(), posted.end(), "notificationProgramIsDownloaded 902"), 0);
    wait(DownloadManager::kFirstRetrySeconds);
    runUntilPosted("notificationProgramIsDownloaded 902");
    EXPECT_TRUE(fileAt(902, 2) == songs[2]) << "a partial without a validator became the song";
  }
};

TEST_F(DownloadAgainstStaticServersTest, Lighttpd) {
  if (http::test::LighttpdServer::program().empty()) GTEST_SKIP() << "lighttpd is not installed (package lighttpd)";
  http::test::LighttpdServer lighttpd;
  // lighttpd gives validators only to files of a known type.
  ASSERT_EQ(lighttpd.start("mimetype.assign += (\".mp3\" => \"audio/mpeg\")\n"), "");
  resumeFinishedSongsFrom(lighttpd.www(), [&](const std::string& path) { return lighttpd.url(path); });
}

TEST_F(DownloadAgainstStaticServersTest, Apache) {
  if (http::test::ApacheServer::program().empty()) GTEST_SKIP() << "Apache httpd is not installed (package apache2)";
  http::test::ApacheServer apache;
  ASSERT_EQ(apache.start(), "");
  resumeFinishedSongsFrom(apache.www(), [&](const std::string& path) { return apache.url(path); });
}

}  // namespace
}  // namespace playback
