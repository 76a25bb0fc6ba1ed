#include <gtest/gtest.h>

#include <signal.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/Clock.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioBackend.h"
#include "platform/media/AudioPlayer.h"
#include "platform/media/FakeAudioBackend.h"
#include "platform/media/MprisPublisher.h"
#include "platform/media/NowPlayingInfoCenter.h"
#include "platform/media/RemoteCommandCenter.h"

namespace {

using namespace media;

// What a desktop client prints for a method call on the published player.
std::string busCall(const std::string& method, const std::string& arguments = "") {
  std::string command =
      "gdbus call --session --dest org.mpris.MediaPlayer2.zunoradio_test "
      "--object-path /org/mpris/MediaPlayer2 --method " +
      method + " " + arguments + " 2>&1";
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    pclose(pipe);
  }
  return output;
}

TEST(MprisTest, BusCommandsBecomeRemoteCommandsAndMetadataKeepsChineseTitles) {
  if (!std::getenv("ZR_TEST_SESSION_BUS")) GTEST_SKIP() << "runs inside dbus-run-session as the media_mpris test";
  auto& commands = RemoteCommandCenter::sharedCenter();
  std::vector<RemoteCommand> received;
  commands.setHandler([&](RemoteCommand command) { received.push_back(command); });
  commands.beginReceivingRemoteControlEvents();
  NowPlayingInfoCenter::defaultCenter().setNowPlayingInfo(
      NowPlayingInfo{"晴天的歌", "电台 DJ", "午后节目", nullptr, "/covers/a cover", 183.5});
  ASSERT_TRUE(MprisPublisher::start("zunoradio_test"));

  std::string metadata;
  std::thread client([&] {
    for (const char* method : {"PlayPause", "Pause", "Next"})
      busCall(std::string("org.mpris.MediaPlayer2.Player.") + method);
  });
  foundation::RunLoop::main().runUntil([&] { return received.size() == 3; });
  client.join();
  EXPECT_EQ(received, (std::vector<RemoteCommand>{RemoteCommand::togglePlayPause, RemoteCommand::pause,
                                                  RemoteCommand::nextTrack}));

  std::thread reader([&] {
    std::string reply = busCall("org.freedesktop.DBus.Properties.Get", "org.mpris.MediaPlayer2.Player Metadata");
    foundation::RunLoop::main().post([&, reply] { metadata = reply; });
  });
  foundation::RunLoop::main().runUntil([&] { return !metadata.empty(); });
  reader.join();
  EXPECT_NE(metadata.find("'xesam:title': <'晴天的歌'>"), std::string::npos) << metadata;
  EXPECT_NE(metadata.find("午后节目"), std::string::npos) << metadata;
  EXPECT_NE(metadata.find("'mpris:artUrl': <'file:///covers/a%20cover'>"), std::string::npos) << metadata;
  EXPECT_NE(metadata.find("'mpris:length': <int64 183500000>"), std::string::npos) << metadata;

  MprisPublisher::stop();
  NowPlayingInfoCenter::defaultCenter().resetForTesting();
  commands.resetForTesting();
}

// What the desktop reads as the position, in microseconds ("(<int64 2500000>,)").
std::string mprisPosition() {
  return busCall("org.freedesktop.DBus.Properties.Get", "org.mpris.MediaPlayer2.Player Position");
}

// A desktop client listening to the bus's Seeked signals, from the moment it is made. It watches
// at the bus itself, so no signal goes by while it still looks up who sends it.
class MprisSignalListener {
 public:
  MprisSignalListener() {
    pipe_ = popen(
        "sh -c 'echo $$; exec stdbuf -oL dbus-monitor --session "
        "\"type=signal,interface=org.mpris.MediaPlayer2.Player,member=Seeked\"' 2>&1",
        "r");
    pid_ = std::atoi(nextLine().c_str());
    // The monitor hears of losing its own name once it watches.
    for (std::string line = nextLine(); !line.empty() && line.find("member=NameLost") == std::string::npos;
         line = nextLine()) {
    }
  }
  ~MprisSignalListener() {
    stop();
    if (pipe_) pclose(pipe_);
  }
  // Ends the monitor, and with it a wait in nextSeek().
  void stop() {
    if (pid_ > 0) ::kill(pid_, SIGTERM);
  }
  // Blocks until a Seeked signal comes and returns its argument ("int64 60000000"); empty when the
  // monitor ended first.
  std::string nextSeek() {
    for (std::string line = nextLine(); !line.empty(); line = nextLine())
      if (line.find("member=Seeked") != std::string::npos) return nextLine();
    return {};
  }

 private:
  std::string nextLine() {
    char buffer[1024];
    return pipe_ && std::fgets(buffer, sizeof buffer, pipe_) ? buffer : "";
  }
  FILE* pipe_ = nullptr;
  int pid_ = 0;
};

// The desktop's progress bar follows the player, and hears of a seek when it happens.
TEST(MprisTest, PositionFollowsThePlayerAndSeeksAreSignalled) {
  if (!std::getenv("ZR_TEST_SESSION_BUS")) GTEST_SKIP() << "runs inside dbus-run-session as the media_mpris test";
  auto clock = std::make_shared<foundation::ManualClock>();
  foundation::Clock::setCurrent(clock);
  auto fake = AudioBackend::useFake();
  auto& loop = foundation::RunLoop::main();
  NowPlayingInfoCenter::defaultCenter().setNowPlayingInfo(NowPlayingInfo{"晴天的歌", "", "", nullptr, "", 200});
  ASSERT_TRUE(MprisPublisher::start("zunoradio_test"));
  auto player = AudioPlayer::create("/songs/a.mp3");
  player->play();
  fake->lastItem()->becomeReady(200);
  loop.pumpOnce();
  clock->advance(foundation::Duration(2.5));
  loop.pumpOnce();
  EXPECT_EQ(mprisPosition(), "(<int64 2500000>,)\n");

  MprisSignalListener monitor;
  std::string seeked;
  std::atomic<bool> heard = false;
  std::thread listener([&] {
    seeked = monitor.nextSeek();
    heard = true;
    loop.post([] {});  // wakes the loop to look
  });
  player->seekTo(60);
  loop.runUntil([&] {
    if (fake->lastItem()->hasPendingSeek()) fake->lastItem()->completeSeek(true);
    return heard.load();
  });
  monitor.stop();
  listener.join();
  EXPECT_NE(seeked.find("int64 60000000"), std::string::npos) << seeked;
  player->pause();
  loop.pumpOnce();
  clock->advance(foundation::Duration(5));
  EXPECT_EQ(mprisPosition(), "(<int64 60000000>,)\n") << "a paused song stays where it is";

  player.reset();
  MprisPublisher::stop();
  AudioBackend::useGStreamer();
  NowPlayingInfoCenter::defaultCenter().resetForTesting();
  foundation::Clock::useRealClock();
}

TEST(MprisTest, WithoutASessionBusNothingIsPublished) {
  if (std::getenv("ZR_TEST_SESSION_BUS")) GTEST_SKIP() << "a session bus is present here";
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  std::string saved = address ? address : "";
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string savedRuntime = runtime ? runtime : "";
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_FALSE(MprisPublisher::start("zunoradio_test"));
  if (address) setenv("DBUS_SESSION_BUS_ADDRESS", saved.c_str(), 1);
  if (runtime) setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
}

}  // namespace
