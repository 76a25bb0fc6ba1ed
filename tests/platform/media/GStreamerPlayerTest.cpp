#include <gst/gst.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioBackend.h"
#include "platform/media/AudioPlayer.h"
#include "tests/support/MediaRoutes.h"

namespace {

using media::AudioPlayer;
using media::ItemStatus;
using testsupport::RangeMode;
using testsupport::Reply;

const std::string kMedia = ZR_SAMPLE_MEDIA_DIR;

// Counts the playbins GStreamer makes while it lives, as its element factory logs them.
class GStreamerPlaybinCount {
 public:
  GStreamerPlaybinCount() {
    gst_init(nullptr, nullptr);
    // Called past the header's wrapping macros, which compare a function pointer with void* (an
    // error in the pedantic build); a null function names the default logger.
    (gst_debug_remove_log_function)(nullptr);
    (gst_debug_add_log_function)(&record, this, nullptr);
    gst_debug_set_threshold_for_name(kCategory, GST_LEVEL_INFO);
  }
  ~GStreamerPlaybinCount() {
    gst_debug_unset_threshold_for_name(kCategory);
    gst_debug_remove_log_function_by_data(this);
    (gst_debug_add_log_function)(nullptr, nullptr, nullptr);
  }
  int made() const { return made_.load(); }

 private:
  static constexpr const char* kCategory = "GST_ELEMENT_FACTORY";
  // Any GStreamer thread.
  static void record(GstDebugCategory* category, GstDebugLevel, const gchar*, const gchar*, gint, GObject*,
                     GstDebugMessage* message, gpointer self) {
    if (std::strcmp(gst_debug_category_get_name(category), kCategory) != 0) return;
    const gchar* text = gst_debug_message_get(message);
    if (text && std::string_view(text).starts_with("creating element \"playbin\""))
      ++static_cast<GStreamerPlaybinCount*>(self)->made_;
  }
  std::atomic<int> made_{0};
};

bool gstreamerHasElement(const char* name) {
  gst_init(nullptr, nullptr);
  GstElementFactory* factory = gst_element_factory_find(name);
  if (factory) gst_object_unref(factory);
  return factory != nullptr;
}

// A player on GStreamer with a silent sink that runs as fast as it decodes, and what it reported.
class GStreamerPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    media::AudioBackend::useGStreamer({media::AudioSink::fake, false, foundation::Duration(2), 0});
  }
  void TearDown() override { media::AudioBackend::useGStreamer(); }

  std::shared_ptr<AudioPlayer> open(const std::string& source) {
    ended = failedToEnd = durationChanges = 0;
    auto player = AudioPlayer::create(source);
    player->setOnDidPlayToEnd([this] { ++ended; });
    player->setOnFailedToPlayToEnd([this] { ++failedToEnd; });
    player->setOnDurationChange([this] { ++durationChanges; });
    return player;
  }
  static bool settle(const std::shared_ptr<AudioPlayer>& player) {
    return foundation::RunLoop::main().runUntil([&] { return player->status() != ItemStatus::unknown; });
  }
  // Seeks and waits for the answer.
  static std::optional<bool> seek(AudioPlayer& player, double to) {
    std::optional<bool> finished;
    player.seekTo(to, [&](bool ok) { finished = ok; });
    foundation::RunLoop::main().runUntil([&] { return finished.has_value(); });
    return finished;
  }
  bool playToTheEnd(AudioPlayer& player) {
    player.play();
    return foundation::RunLoop::main().runUntil([&] { return ended + failedToEnd > 0; });
  }

  testsupport::LoopbackServer server;
  int ended = 0, failedToEnd = 0, durationChanges = 0;
};

TEST_F(GStreamerPlayerTest, FileIsReadyWithItsLengthSeeksAndPlaysToTheEnd) {
  auto player = open(kMedia + "/song-2s.mp3");
  ASSERT_TRUE(settle(player));
  ASSERT_EQ(player->status(), ItemStatus::readyToPlay);
  EXPECT_NEAR(player->duration(), 2.0, 0.1);
  EXPECT_EQ(seek(*player, 1.5), true);
  EXPECT_NEAR(player->currentTime(), 1.5, 0.1);
  ASSERT_TRUE(playToTheEnd(*player));
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(failedToEnd, 0);
  EXPECT_LE(player->currentTime(), player->duration());
}

// One backend's songs in turn, the first left at its end or while it plays: the next plays its own
// item and hears nothing of the one before.
TEST_F(GStreamerPlayerTest, EachSongPlaysItsOwnItemAlone) {
  testsupport::routeMedia(server, "/3s.mp3", testsupport::readFile(kMedia + "/song-3s.mp3"), RangeMode::kHonour);
  for (bool firstToTheEnd : {true, false}) {
    auto first = open(kMedia + "/song-2s.mp3");
    ASSERT_TRUE(settle(first));
    if (firstToTheEnd) {
      ASSERT_TRUE(playToTheEnd(*first));
    } else {
      first->play();
    }
    first.reset();
    auto second = open(server.url("/3s.mp3"));
    ASSERT_TRUE(settle(second));
    ASSERT_EQ(second->status(), ItemStatus::readyToPlay);
    EXPECT_NEAR(second->duration(), 3.0, 0.1);
    EXPECT_EQ(ended, 0);
    ASSERT_TRUE(playToTheEnd(*second));
    foundation::RunLoop::main().pumpOnce();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(failedToEnd, 0);
    EXPECT_NEAR(second->currentTime(), 3.0, 0.2);
  }
}

// Songs made while the backend gets ready, and after, play as on a backend never prepared: the
// playbin made ahead has the chosen sink and a bus that tells only its own song's news. The first
// song waits for that playbin rather than making a second one.
TEST_F(GStreamerPlayerTest, APreparedBackendPlaysItsSongs) {
  GStreamerPlaybinCount playbins;
  media::AudioBackend::prepare();
  for (int song = 0; song < 3; ++song) {
    auto player = open(kMedia + "/song-2s.mp3");
    ASSERT_TRUE(settle(player));
    ASSERT_EQ(player->status(), ItemStatus::readyToPlay);
    EXPECT_NEAR(player->duration(), 2.0, 0.1);
    ASSERT_TRUE(playToTheEnd(*player));
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(failedToEnd, 0);
  }
  ASSERT_TRUE(media::AudioBackend::waitUntilPrepared(foundation::Duration(60)));
  EXPECT_EQ(playbins.made(), 1) << "the warm-up's playbin serves every song";
}

// Within a list the next song is made while the one that ended is still held; a new list lets
// the last song go before its first is made. Either way the songs share the same two playbins.
TEST_F(GStreamerPlayerTest, SongsOfListAfterListReuseThePlaybinsOfTheSongsBefore) {
  GStreamerPlaybinCount playbins;
  for (int list = 0; list < 3; ++list) {
    auto first = open(kMedia + "/song-2s.mp3");
    ASSERT_TRUE(settle(first));
    ASSERT_TRUE(playToTheEnd(*first));
    auto last = open(kMedia + "/song-2s.mp3");
    first.reset();
    ASSERT_TRUE(settle(last));
    ASSERT_TRUE(playToTheEnd(*last));
    last.reset();
  }
  EXPECT_EQ(playbins.made(), 2);
}

TEST_F(GStreamerPlayerTest, SeekOnAServerWithoutRangeIsRefusedAndTheSongPlaysOn) {
  std::string song = testsupport::readFile(kMedia + "/song-3s.mp3");
  testsupport::routeMedia(server, "/ranged.mp3", song, RangeMode::kHonour);
  testsupport::routeMedia(server, "/whole.mp3", song, RangeMode::kIgnore);

  auto ranged = open(server.url("/ranged.mp3"));
  ASSERT_TRUE(settle(ranged));
  EXPECT_EQ(seek(*ranged, 2.0), true);
  EXPECT_NEAR(ranged->currentTime(), 2.0, 0.2);

  auto whole = open(server.url("/whole.mp3"));
  ASSERT_TRUE(settle(whole));
  ASSERT_EQ(whole->status(), ItemStatus::readyToPlay);
  EXPECT_EQ(seek(*whole, 2.0), false);
  ASSERT_TRUE(playToTheEnd(*whole));
  EXPECT_EQ(ended, 1) << "a refused seek is not an item failure";
}

// Each says why in a listener's words.
TEST_F(GStreamerPlayerTest, WhatIsNotASongFailsToLoad) {
  server.route("GET", "/500.mp3", Reply::text("oops", 500));
  server.route("GET", "/page.mp3",
               Reply::text("<html><body>not here</body></html>").header("Content-Type", "text/html"));
  std::string noise(20000, '\0');
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919 + 13) % 251);
  testsupport::routeMedia(server, "/noise.mp3", noise, RangeMode::kHonour);
  std::vector<std::pair<std::string, std::string>> cases = {
      {server.url("/404.mp3"), "The server answered 404, not found"},
      {server.url("/500.mp3"), "The server answered 500, internal server error"},
      {server.url("/page.mp3"), "The file is not audio: text/html"},
      {server.url("/noise.mp3"), "The file is not audio of any known kind"},
      {kMedia + "/no-such-song.mp3", "Cannot open " + kMedia + "/no-such-song.mp3"},
  };
  // A format that the base and good plugins cannot decode, where no other plugin set is installed.
  if (!gstreamerHasElement("musepackdec")) {
    testsupport::routeMedia(server, "/musepack.mp3", "MPCK" + noise, RangeMode::kHonour);
    cases.emplace_back(server.url("/musepack.mp3"), "No decoder is installed for its format: Musepack (MPC)");
  }
  for (const auto& [source, reason] : cases) {
    auto player = open(source);
    ASSERT_TRUE(settle(player)) << source;
    EXPECT_EQ(player->status(), ItemStatus::failed) << source;
    ASSERT_TRUE(player->error()) << source;
    EXPECT_EQ(player->error()->description(), reason) << source;
  }
}

TEST_F(GStreamerPlayerTest, ConnectionDroppedOrStalledMidSongFailsToPlayToTheEndOnce) {
  std::string song = testsupport::readFile(kMedia + "/song-3s.mp3");
  // The drop waits until the song is ready, however slowly the client gets there.
  Reply dropped;
  dropped.body = song;
  dropped.stallAfterBytes = song.size() / 2;
  dropped.holdUntilReleased = "ready";
  dropped.fault = testsupport::Fault::kCloseAfterBytes;
  dropped.faultAfterBytes = song.size() / 2;
  server.route("GET", "/dropped.mp3", dropped);
  Reply stalled;
  stalled.body = song;
  stalled.stallAfterBytes = song.size() / 2;
  server.route("GET", "/stalled.mp3", stalled);

  for (std::string path : {"/dropped.mp3", "/stalled.mp3"}) {
    auto player = open(server.url(path));
    ASSERT_TRUE(settle(player)) << path;
    ASSERT_EQ(player->status(), ItemStatus::readyToPlay) << path;
    server.release("ready");
    ASSERT_TRUE(playToTheEnd(*player)) << path << " ends within the source's time-out";
    foundation::RunLoop::main().pumpOnce();
    EXPECT_EQ(failedToEnd, 1) << path;
    EXPECT_EQ(ended, 0) << path;
    ASSERT_TRUE(player->error()) << path;
    EXPECT_TRUE(player->error()->description().starts_with("The connection dropped after 0:0"))
        << path << ": " << player->error()->description();
  }
}

// With retries the source asks again from where it was cut, and the song plays to its end.
TEST_F(GStreamerPlayerTest, ConnectionDroppedMidSongIsTakenUpWhereTheServerHonoursRanges) {
  media::AudioBackend::useGStreamer({media::AudioSink::fake, false, foundation::Duration(2), 1});
  const std::string song = testsupport::readFile(kMedia + "/song-3s.mp3");
  server.route("GET", "/resumed.mp3", [song](const testsupport::RecordedRequest& request) {
    Reply reply = Reply::ranged(request, song, RangeMode::kHonour);
    if (request.attempt > 1) return reply;
    reply.stallAfterBytes = song.size() / 2;
    reply.holdUntilReleased = "ready";
    reply.fault = testsupport::Fault::kCloseAfterBytes;
    reply.faultAfterBytes = song.size() / 2;
    return reply;
  });
  auto player = open(server.url("/resumed.mp3"));
  ASSERT_TRUE(settle(player));
  ASSERT_EQ(player->status(), ItemStatus::readyToPlay);
  server.release("ready");
  ASSERT_TRUE(playToTheEnd(*player));
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(failedToEnd, 0);
  ASSERT_EQ(server.requestCount("/resumed.mp3"), 2u);
  EXPECT_TRUE(server.requests().back().header("Range").value_or("").starts_with("bytes="));
}

// An https source is a URL, fetched from its server, never looked up as a file; and a failure
// keeps what the server said.
TEST_F(GStreamerPlayerTest, HttpsSourcesAreFetchedAndFailuresSayWhy) {
  testsupport::LoopbackServer secure({.tls = true});
  auto player = open(secure.url("/song.mp3"));
  ASSERT_TRUE(settle(player));
  EXPECT_GE(secure.acceptedConnections(), 1);

  auto missing = open(server.url("/404.mp3"));
  ASSERT_TRUE(settle(missing));
  ASSERT_TRUE(missing->error());
  EXPECT_EQ(missing->error()->description(), "The server answered 404, not found");
}

TEST_F(GStreamerPlayerTest, TruncatedFileEndsEarly) {
  std::string song = testsupport::readFile(kMedia + "/song-3s.mp3");
  testsupport::routeMedia(server, "/short.mp3", song.substr(0, song.size() / 2), RangeMode::kHonour);
  auto player = open(server.url("/short.mp3"));
  ASSERT_TRUE(settle(player));
  ASSERT_TRUE(playToTheEnd(*player));
  EXPECT_EQ(ended + failedToEnd, 1);
  EXPECT_LE(player->currentTime(), player->duration());
}

TEST_F(GStreamerPlayerTest, UnknownLengthIsReportedOnceLearnt) {
  std::string song = testsupport::readFile(kMedia + "/song-vbr.mp3");
  Reply chunked;
  chunked.body = song;
  chunked.framing = testsupport::BodyFraming::kChunked;
  chunked.chunkSize = 4096;
  server.route("GET", "/vbr.mp3", chunked);
  auto player = open(server.url("/vbr.mp3"));
  ASSERT_TRUE(settle(player));
  ASSERT_EQ(player->status(), ItemStatus::readyToPlay);
  bool knownAtReady = std::isfinite(player->duration());
  ASSERT_TRUE(playToTheEnd(*player));
  foundation::RunLoop::main().pumpOnce();
  EXPECT_EQ(ended, 1);
  if (!knownAtReady) {
    EXPECT_GE(durationChanges, 1);
  }
  EXPECT_NEAR(player->duration(), 4.0, 0.5);
}

}  // namespace
