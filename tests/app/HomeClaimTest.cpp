#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/foundation/Paths.h"
#include "tests/app/ChildProcess.h"

namespace {

namespace fs = std::filesystem;
using apptest::ChildProcess;

// Everything below `folder` with its size and time of change.
std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> contentsOf(const fs::path& folder) {
  std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> found;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
    found[entry.path()] = {entry.is_regular_file() ? entry.file_size() : 0, entry.last_write_time()};
  return found;
}

class HomeClaimTest : public ::testing::Test {
 protected:
  // A server whose connections the kernel takes and nobody answers: a run against it stays in its
  // start, its stores opened, writing nothing more, and says so when a key is typed.
  void SetUp() override {
    silent_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(silent_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(silent_, 16), 0);
    ASSERT_EQ(::getsockname(silent_, reinterpret_cast<sockaddr*>(&address), &length), 0);
    server_ = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
  }
  void TearDown() override { ::close(silent_); }

  // The program with the environment given, against the silent server.
  std::vector<std::string> run(std::vector<std::string> environment, std::vector<std::string> options = {}) const {
    environment.insert(environment.begin(), {"/usr/bin/env", "-u", "ZUNORADIO_HOME"});
    environment.insert(environment.end(), {ZR_ZUNORADIO_PATH, "--server", server_, "--sink", "fake"});
    environment.insert(environment.end(), options.begin(), options.end());
    return environment;
  }
  // Whether the run got past its claim into its start.
  static bool waitsInItsStart(ChildProcess& radio) {
    radio.say("p\n");
    return radio.readUntil("\"p\" waits until the program has started.\n");
  }

  int silent_ = -1;
  std::string server_;
};

// A second run on a home in use, or on caches in use by a run of another home, says so in one line
// naming the folder and the holder, and leaves at once with the folder as it was; --help needs no
// claim. A holder killed outright lets the next run start at once.
TEST_F(HomeClaimTest, ASecondRunOnFoldersInUseIsRefusedUntouchedUntilTheHolderEnds) {
  const fs::path base = foundation::Paths::useFreshHomeForTesting();
  const std::string home = base / "home";
  const std::string caches = base / "cache/zunoradio";
  struct Case {
    std::vector<std::string> holder, second;
    std::string folderInUse, named;
  };
  const std::vector<Case> cases = {
      {{"ZUNORADIO_HOME=" + home}, {"ZUNORADIO_HOME=" + home}, home, "The home " + home},
      {{"XDG_DATA_HOME=" + (base / "data1").string(), "XDG_CACHE_HOME=" + (base / "cache").string()},
       {"XDG_DATA_HOME=" + (base / "data2").string(), "XDG_CACHE_HOME=" + (base / "cache").string()},
       caches,
       "The caches folder " + caches}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.named);
    ChildProcess holder(run(c.holder), true);
    ASSERT_TRUE(waitsInItsStart(holder)) << holder.output();
    const auto before = contentsOf(c.folderInUse);

    ChildProcess second(run(c.second), true);
    ASSERT_TRUE(second.readToEnd()) << second.output();
    EXPECT_EQ(second.finish().first, 1) << second.output();
    EXPECT_EQ(second.output(), "zunoradio: " + c.named + " is in use by another run of zunoradio (process " +
                                   std::to_string(holder.pid()) +
                                   "); to run another at the same time, give it a home of its own, for example "
                                   "ZUNORADIO_HOME=~/zunoradio-2 zunoradio.\n");
    EXPECT_EQ(contentsOf(c.folderInUse), before);

    ChildProcess help(run(c.second, {"--help"}), true);
    ASSERT_TRUE(help.readToEnd());
    EXPECT_EQ(help.finish().first, 0) << help.output();

    holder.finish(SIGKILL);
    ChildProcess next(run(c.second), true);
    EXPECT_TRUE(waitsInItsStart(next)) << next.output();
  }
  fs::remove_all(base);
}

}  // namespace
