#include "tests/playback/player/PlayerFixture.h"
#include "tests/support/MediaRoutes.h"

namespace playertest {
namespace {

// The whole road with real sound: three songs streamed from the loopback station through the
// GStreamer backend, each logged once it has played to its end.
TEST_F(PlayerTest, ThreeStreamedSongsPlayThroughAndAreLogged) {
  const std::string mp3 = testsupport::readFile(std::string(ZR_SAMPLE_MEDIA_DIR) + "/song-2s.mp3");
  ASSERT_FALSE(mp3.empty()) << "sample media missing";
  media::AudioBackend::useGStreamer({media::AudioSink::fake, false});
  std::vector<api::SongModelPtr> list;
  for (const std::string id : {"301", "302", "303"}) {
    testsupport::routeMedia(api.server(), "/song/high/" + id + ".mp3", mp3, testsupport::RangeMode::kHonour);
    auto model = song(id);
    model->setAudioUrl(api.baseUrl() + "/song/" + id + ".mp3");
    list.push_back(model);
  }
  startPanel();
  player().playSAlbum(nullptr, list, std::nullopt);
  ASSERT_TRUE(runUntil([&] { return playLogs().size() >= 3; }, 60));
  player().interruptPlay();
  const auto logs = playLogs();
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(logs[i].formValue("song_id"), list[i]->songId());
    EXPECT_EQ(logs[i].formValue("action"), "0");
    EXPECT_EQ(logs[i].formValue("real_duration"), "2");
  }
}

}  // namespace
}  // namespace playertest
