#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <regex>

#include "platform/foundation/Paths.h"
#include "tests/app/ChildProcess.h"

namespace {

using apptest::ChildProcess;

int countOf(const std::string& text, const std::string& piece) {
  int count = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++count;
  return count;
}

// The playing position that the program publishes on the desktop's bus, in microseconds; -1 when
// it cannot be read.
long long programRunBusPosition() {
  FILE* pipe = popen(
      "gdbus call --session --dest org.mpris.MediaPlayer2.zunoradio --object-path /org/mpris/MediaPlayer2 "
      "--method org.freedesktop.DBus.Properties.Get org.mpris.MediaPlayer2.Player Position 2>/dev/null",
      "r");
  if (!pipe) return -1;
  long long position = -1;
  if (std::fscanf(pipe, "(<int64 %lld>,)", &position) != 1) position = -1;
  pclose(pipe);
  return position;
}

class ProgramRunTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("ZUNORADIO_HOME", foundation::Paths::useFreshHomeForTesting().c_str(), 1); }
  void TearDown() override { ::unsetenv("ZUNORADIO_HOME"); }
};

// The built program on its own sample station, as a user runs it: three two-second songs played
// silently at real speed, then it quits by itself.
TEST_F(ProgramRunTest, ThreeSongsPlayAndTheirLogsReachTheStation) {
  ChildProcess radio({ZR_ZUNORADIO_PATH, "--songs", "3", "--sink", "fake"});
  ASSERT_TRUE(radio.readToEnd()) << radio.output();
  EXPECT_EQ(radio.finish().first, 0) << radio.output();
  const std::string& out = radio.output();
  EXPECT_NE(out.find("ZunoRadio on the sample station at http://127.0.0.1:"), std::string::npos) << out;
  EXPECT_NE(out.find("流行电台:  11 华语流行  12 夜色温柔"), std::string::npos) << out;
  EXPECT_NE(out.find("On air: 清晨的第一杯茶 (programme 1001, DJ 阿青, 3 songs)."), std::string::npos) << out;
  const std::size_t first = out.find("\xE2\x96\xB6 晨光 — 林小雨 · 清晨的第一杯茶 · 0:02");
  const std::size_t second = out.find("\xE2\x96\xB6 风吹过的街 — 陈默");
  const std::size_t third = out.find("\xE2\x96\xB6 早安，城市 — 白鹭乐队");
  ASSERT_NE(first, std::string::npos) << out;
  EXPECT_TRUE(first < second && second < third && third != std::string::npos) << out;
  // Each song that ended was reported with what was heard, and the station said so.
  EXPECT_EQ(countOf(out, " of 2 s heard, ended; the server answered hapn.ok."), 3) << out;
  EXPECT_TRUE(std::regex_search(out, std::regex("Play log sent: 晨光, [12] of 2 s heard"))) << out;
  EXPECT_NE(out.find("\xE2\x96\xB6 Advert"), std::string::npos) << "three songs make an advert due\n" << out;
  EXPECT_EQ(out.find('\r'), std::string::npos) << "no in-place updates when the output is not a terminal";
}

// The desktop's play/pause control does what the p key does and says so in the same words; the
// desktop reads where the song is.
TEST_F(ProgramRunTest, DesktopPlayPauseSaysWhatThePKeySays) {
  if (!std::getenv("ZR_TEST_SESSION_BUS")) GTEST_SKIP() << "runs inside dbus-run-session as the app_mpris test";
  ChildProcess radio({ZR_ZUNORADIO_PATH, "--sink", "fake"});
  ASSERT_TRUE(radio.readUntil("Playing.")) << radio.output();
  ASSERT_TRUE(radio.readUntil("\xE2\x96\xB6 ")) << radio.output();
  // The desktop's progress bar moves with the song, which is two seconds long.
  long long position = 0;
  for (int read = 0; read < 200 && position == 0; ++read) position = programRunBusPosition();
  EXPECT_GT(position, 0);
  EXPECT_LE(position, 2'000'000);
  const int called = std::system(
      "gdbus call --session --dest org.mpris.MediaPlayer2.zunoradio --object-path /org/mpris/MediaPlayer2 "
      "--method org.mpris.MediaPlayer2.Player.PlayPause >/dev/null 2>&1");
  EXPECT_EQ(called, 0);
  EXPECT_TRUE(radio.readUntil("Paused.")) << radio.output();
  radio.say("q\n");
  ASSERT_TRUE(radio.readToEnd()) << radio.output();
  EXPECT_EQ(radio.finish().first, 0) << radio.output();
}

TEST_F(ProgramRunTest, ABadOptionOrAnUnreachableServerIsOneLineAndAFailure) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{ZR_ZUNORADIO_PATH, "--songs", "many"},
        std::vector<std::string>{ZR_ZUNORADIO_PATH, "--server", "http://127.0.0.1:1", "--sink", "fake"}}) {
    ChildProcess radio(arguments, true);
    ASSERT_TRUE(radio.readToEnd());
    EXPECT_NE(radio.finish().first, 0) << arguments[1];
    EXPECT_TRUE(radio.output().starts_with("zunoradio: ")) << radio.output();
    EXPECT_EQ(countOf(radio.output(), "\n"), 1) << radio.output();
  }
}

// An interrupt or a termination quits the way q does: the program leaves in its order and says
// goodbye.
TEST_F(ProgramRunTest, InterruptAndTerminateQuitLikeTheQuitKey) {
  for (int signal : {SIGINT, SIGTERM}) {
    ChildProcess radio({ZR_ZUNORADIO_PATH, "--sink", "fake"});
    ASSERT_TRUE(radio.readUntil("\xE2\x96\xB6 ")) << radio.output();
    ::kill(radio.pid(), signal);
    ASSERT_TRUE(radio.readToEnd()) << radio.output();
    EXPECT_EQ(radio.finish().first, 0) << radio.output();
    EXPECT_NE(radio.output().find("Bye."), std::string::npos) << radio.output();
  }
}

// Keys are read while the start waits for a server that never answers: a key that needs the start
// is said to wait for it, and q ends the start at once as Ctrl-C does.
TEST_F(ProgramRunTest, QuitDuringAStartThatWaitsForTheServerLeavesAtOnce) {
  const int silent = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(silent, 8), 0);  // connections are taken by the kernel and never answered
  ASSERT_EQ(::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length), 0);
  const std::string server = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
  ChildProcess radio({ZR_ZUNORADIO_PATH, "--server", server, "--sink", "fake"}, true);
  radio.say("p\n");
  ASSERT_TRUE(radio.readUntil("\"p\" waits until the program has started.\n", std::chrono::seconds(5)))
      << radio.output();
  radio.say("q\n");
  EXPECT_TRUE(radio.readToEnd(std::chrono::seconds(5))) << radio.output();
  EXPECT_EQ(radio.finish(SIGKILL).first, 0) << radio.output();
  EXPECT_TRUE(radio.output().ends_with("Bye.\n")) << radio.output();
  ::close(silent);
}

// GStreamer's start that never ends (its registry a pipe that nobody writes) holds up neither the
// program nor its quit: the station is shown, and q or a termination ends the program at once.
TEST_F(ProgramRunTest, QuitEndsTheProgramWhileTheSoundSystemNeverStarts) {
  const std::string registry = foundation::Paths::homeDirectory() + "/registry.fifo";
  ASSERT_EQ(::mkfifo(registry.c_str(), 0600), 0);
  for (const bool byKey : {true, false}) {
    ChildProcess radio({"/usr/bin/env", "GST_REGISTRY=" + registry, ZR_ZUNORADIO_PATH, "--sink", "fake"});
    ASSERT_TRUE(radio.readUntil("On air: ")) << radio.output();
    if (byKey)
      radio.say("q\n");
    else
      ::kill(radio.pid(), SIGTERM);
    EXPECT_TRUE(radio.readToEnd(std::chrono::seconds(10))) << radio.output();
    EXPECT_EQ(radio.finish(SIGKILL).first, 0) << radio.output();
    EXPECT_NE(radio.output().find("Bye."), std::string::npos) << radio.output();
  }
}

}  // namespace
