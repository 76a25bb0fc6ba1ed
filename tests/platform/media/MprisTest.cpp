#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/RunLoop.h"
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
