#include "platform/foundation/Paths.h"

#include <gtest/gtest.h>

#include "platform/foundation/FileManager.h"
#include "tests/platform/foundation/TemporaryHome.h"

namespace foundation {
namespace {

using testing::ScopedEnvironment;
using testing::TemporaryHome;

class PathsTest : public TemporaryHome {};

TEST_F(PathsTest, ExplicitHomeHoldsEveryFolderAndCreatesThem) {
  Paths::setHomeForTesting("");
  std::string chosen = at("chosen");
  ScopedEnvironment variable("ZUNORADIO_HOME", chosen);
  EXPECT_EQ(Paths::homeDirectory(), chosen);
  EXPECT_EQ(Paths::documentsDirectory(), chosen + "/Documents");
  EXPECT_EQ(Paths::cachesDirectory(), chosen + "/Library/Caches");
  EXPECT_EQ(Paths::preferencesDirectory(), chosen + "/Library/Preferences");
  EXPECT_EQ(Paths::temporaryDirectory(), chosen + "/tmp");
  for (const char* folder : {"Documents", "Library/Caches", "Library/Preferences", "tmp"}) {
    EXPECT_TRUE(FileManager::isDirectory(chosen + "/" + folder)) << folder;
  }
}

TEST_F(PathsTest, WithoutExplicitHomeUsesTheXdgFolders) {
  Paths::setHomeForTesting("");
  ScopedEnvironment noHome("ZUNORADIO_HOME", std::nullopt);
  ScopedEnvironment data("XDG_DATA_HOME", at("data"));
  ScopedEnvironment cache("XDG_CACHE_HOME", at("cache"));
  EXPECT_EQ(Paths::homeDirectory(), at("data/zunoradio"));
  EXPECT_EQ(Paths::documentsDirectory(), at("data/zunoradio/Documents"));
  EXPECT_EQ(Paths::cachesDirectory(), at("cache/zunoradio"));
  EXPECT_EQ(Paths::preferencesDirectory(), at("data/zunoradio/Library/Preferences"));
}

TEST_F(PathsTest, RelativeXdgFoldersAreIgnoredForTheUsersHome) {
  Paths::setHomeForTesting("");
  ScopedEnvironment noHome("ZUNORADIO_HOME", std::nullopt);
  ScopedEnvironment user("HOME", at("user"));
  ScopedEnvironment data("XDG_DATA_HOME", "relative/data");
  ScopedEnvironment cache("XDG_CACHE_HOME", std::nullopt);
  EXPECT_EQ(Paths::homeDirectory(), at("user/.local/share/zunoradio"));
  EXPECT_EQ(Paths::cachesDirectory(), at("user/.cache/zunoradio"));
}

TEST_F(PathsTest, TestHomeOverridesTheEnvironmentAndIsFreshEachTime) {
  ScopedEnvironment variable("ZUNORADIO_HOME", at("elsewhere"));
  EXPECT_EQ(Paths::homeDirectory(), home);
  std::string second = Paths::useFreshHomeForTesting();
  EXPECT_NE(second, home);
  EXPECT_EQ(Paths::homeDirectory(), second);
  EXPECT_EQ(FileManager::contentsOfDirectory(second)->size(), 0u);
  EXPECT_TRUE(FileManager::removeItem(second).ok());
}

TEST(PathTextTest, ComponentsJoinAndSplit) {
  EXPECT_EQ(Paths::appendingPathComponent("/a/b", "c"), "/a/b/c");
  EXPECT_EQ(Paths::appendingPathComponent("/a/b/", "/c"), "/a/b/c");
  EXPECT_EQ(Paths::appendingPathComponent("/", "c"), "/c");
  EXPECT_EQ(Paths::appendingPathComponent("", "c"), "c");
  EXPECT_EQ(Paths::appendingPathComponent("/a", ""), "/a");

  EXPECT_EQ(Paths::lastPathComponent("/a/b.mp3"), "b.mp3");
  EXPECT_EQ(Paths::lastPathComponent("/a/b/"), "b");
  EXPECT_EQ(Paths::lastPathComponent("b"), "b");
  EXPECT_EQ(Paths::lastPathComponent("/"), "/");

  EXPECT_EQ(Paths::deletingLastPathComponent("/a/b.mp3"), "/a");
  EXPECT_EQ(Paths::deletingLastPathComponent("/a"), "/");
  EXPECT_EQ(Paths::deletingLastPathComponent("a"), "");
  EXPECT_EQ(Paths::deletingLastPathComponent(""), "");

  EXPECT_EQ(Paths::pathExtension("/songs/1/2/3.mp3"), "mp3");
  EXPECT_EQ(Paths::pathExtension("/a.b/c"), "");
  EXPECT_EQ(Paths::pathExtension("/a/.hidden"), "");
  EXPECT_EQ(Paths::pathExtension("/a/b.tar.gz"), "gz");
}

}  // namespace
}  // namespace foundation
