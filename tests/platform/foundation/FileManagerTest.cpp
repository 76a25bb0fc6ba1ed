#include "platform/foundation/FileManager.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>

#include "tests/platform/foundation/TemporaryHome.h"

namespace foundation {
namespace {

class FileManagerTest : public testing::TemporaryHome {
 protected:
  std::string read(const std::string& path) {
    auto text = FileManager::readTextFile(path);
    return text ? *text : "<" + text.error()->description() + ">";
  }
  // Every name in the folder, hidden ones included.
  std::vector<std::string> allNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
};

void expectFailureNaming(const Status& status, int code, const std::string& path) {
  ASSERT_FALSE(status.ok());
  EXPECT_TRUE(status.error()->is(kPOSIXErrorDomain, code)) << status.error()->debugText();
  EXPECT_NE(status.error()->description().find(path), std::string::npos) << status.error()->description();
}

TEST_F(FileManagerTest, CreatesFoldersWithIntermediatesAndRefusesFilesInTheWay) {
  EXPECT_TRUE(FileManager::createDirectory(at("a/b/c")).ok());
  EXPECT_TRUE(FileManager::isDirectory(at("a/b/c")));
  EXPECT_TRUE(FileManager::createDirectory(at("a/b/c")).ok());

  expectFailureNaming(FileManager::createDirectory(at("x/y"), false), ENOENT, at("x/y"));
  EXPECT_FALSE(FileManager::fileExists(at("x")));

  ASSERT_TRUE(FileManager::writeAtomically(at("file"), "content").ok());
  expectFailureNaming(FileManager::createDirectory(at("file")), EEXIST, at("file"));
  expectFailureNaming(FileManager::createDirectory(at("file/sub")), ENOTDIR, at("file/sub"));
  EXPECT_EQ(read(at("file")), "content");
}

TEST_F(FileManagerTest, AtomicWriteReplacesWholeFilesAndLeavesNoTemporaryFile) {
  ASSERT_TRUE(FileManager::writeAtomically(at("f.plist"), "first version, rather long").ok());
  ::chmod(at("f.plist").c_str(), 0600);
  ASSERT_TRUE(FileManager::writeAtomically(at("f.plist"), "second").ok());
  EXPECT_EQ(read(at("f.plist")), "second");
  struct stat info {};
  ASSERT_EQ(::stat(at("f.plist").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u) << "permissions of the replaced file are kept";
  EXPECT_EQ(allNames(home), std::vector<std::string>{"f.plist"});
  ASSERT_TRUE(FileManager::writeAtomicallyUnflushed(at("f.plist"), "third").ok());
  EXPECT_EQ(read(at("f.plist")), "third");
  EXPECT_EQ(allNames(home), std::vector<std::string>{"f.plist"});

  Bytes binary{0, 1, 2, 255, 0};
  ASSERT_TRUE(FileManager::writeAtomically(at("bin"), binary).ok());
  EXPECT_EQ(*FileManager::readFile(at("bin")), binary);
  ASSERT_TRUE(FileManager::writeAtomically(at("empty"), "").ok());
  EXPECT_EQ(*FileManager::fileSize(at("empty")), 0u);
}

TEST_F(FileManagerTest, AtomicWriteIntoAMissingFolderFailsNamingThePath) {
  expectFailureNaming(FileManager::writeAtomically(at("missing/f"), "x"), ENOENT, at("missing/f"));
}

TEST_F(FileManagerTest, AFullDiskDuringAnAtomicWriteKeepsThePreviousFile) {
  ASSERT_TRUE(FileManager::writeAtomically(at("settings"), "previous").ok());
  // A file-size limit makes writes fail past 16 bytes, as a full disk would.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit tiny = saved;
  tiny.rlim_cur = 16;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
  Status status = FileManager::writeAtomically(at("settings"), std::string(1000, 'x'));
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);

  expectFailureNaming(status, EFBIG, at("settings"));
  EXPECT_EQ(read(at("settings")), "previous");
  EXPECT_EQ(allNames(home), std::vector<std::string>{"settings"});
}

TEST_F(FileManagerTest, ACrashMidWriteLeavesTheOldFileReadableAndTheLeftoverHidden) {
  ASSERT_TRUE(FileManager::createDirectory(at("logs")).ok());
  ASSERT_TRUE(FileManager::writeAtomically(at("logs/1700000000"), "complete").ok());
  // What a crash between write and rename leaves: a half-written temporary file beside it.
  ASSERT_TRUE(FileManager::writeAtomically(at("logs/.zr-atomic-1700000000-Ab12Cd"), "<?xml half").ok());

  EXPECT_EQ(read(at("logs/1700000000")), "complete");
  EXPECT_EQ(*FileManager::contentsOfDirectory(at("logs")), std::vector<std::string>{"1700000000"});
  EXPECT_EQ(*FileManager::subpathsOfDirectory(home), (std::vector<std::string>{"logs", "logs/1700000000"}));
  ASSERT_TRUE(FileManager::writeAtomically(at("logs/1700000000"), "next").ok());
  EXPECT_EQ(read(at("logs/1700000000")), "next");
}

TEST_F(FileManagerTest, LeftoversOfEarlierRunsGoAtTheFirstWriteAndLiveOnesStay) {
  ASSERT_TRUE(FileManager::createDirectory(at("prefs")).ok());
  const std::string ours = ".zr-atomic-" + std::to_string(::getpid()) + "-settings-Ab12Cd";
  // An earlier run given this run's process id, as a container's program often is.
  const std::string samePid = ".zr-atomic-" + std::to_string(::getpid()) + "-settings-Ij90Kl";
  const std::string live = ".zr-atomic-" + std::to_string(::getpid() + 1) + "-settings-Cd34Ef";
  // Left by writes killed in earlier runs, one named before names carried the process id.
  const std::string killed = ".zr-atomic-" + std::to_string(::getpid() + 2) + "-settings-Ef56Gh";
  const std::string older = ".zr-atomic-settings-Gh78Ij";
  for (const std::string& name : {ours, samePid, live, killed, older}) {
    std::FILE* file = std::fopen(at("prefs/" + name).c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("<half", file);
    std::fclose(file);
  }
  // Writers still at work on their files, of this process and of another, hold the lock.
  int ourWriter = ::open(at("prefs/" + ours).c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(ourWriter, LOCK_EX), 0);
  int liveWriter = ::open(at("prefs/" + live).c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(liveWriter, LOCK_EX), 0);

  ASSERT_TRUE(FileManager::writeAtomically(at("prefs/settings"), "kept").ok());
  std::vector<std::string> kept{ours, live, "settings"};
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(allNames(at("prefs")), kept);
  ::close(liveWriter);
  ASSERT_TRUE(FileManager::removeStaleTemporaryFiles(at("prefs")).ok());
  EXPECT_EQ(allNames(at("prefs")), (std::vector<std::string>{ours, "settings"}));
  EXPECT_EQ(read(at("prefs/settings")), "kept");
  ::close(ourWriter);
  EXPECT_TRUE(FileManager::removeStaleTemporaryFiles(at("missing")).ok());
}

TEST_F(FileManagerTest, ReadingReportsMissingFilesAndFolders) {
  auto missing = FileManager::readFile(at("nothing"));
  ASSERT_FALSE(missing.ok());
  EXPECT_TRUE(missing.error()->is(kPOSIXErrorDomain, ENOENT));
  EXPECT_NE(missing.error()->description().find(at("nothing")), std::string::npos);

  ASSERT_TRUE(FileManager::createDirectory(at("folder")).ok());
  auto folder = FileManager::readFile(at("folder"));
  ASSERT_FALSE(folder.ok());
  EXPECT_TRUE(folder.error()->is(kPOSIXErrorDomain, EISDIR));
}

TEST_F(FileManagerTest, MoveReplacesFilesAndFolders) {
  ASSERT_TRUE(FileManager::writeAtomically(at("new"), "new").ok());
  ASSERT_TRUE(FileManager::writeAtomically(at("old"), "old").ok());
  ASSERT_TRUE(FileManager::moveItem(at("new"), at("old")).ok());
  EXPECT_EQ(read(at("old")), "new");
  EXPECT_FALSE(FileManager::fileExists(at("new")));

  ASSERT_TRUE(FileManager::createDirectory(at("src/inner")).ok());
  ASSERT_TRUE(FileManager::writeAtomically(at("src/inner/f"), "moved").ok());
  ASSERT_TRUE(FileManager::createDirectory(at("dst/stale")).ok());
  ASSERT_TRUE(FileManager::moveItem(at("src"), at("dst")).ok());
  EXPECT_EQ(read(at("dst/inner/f")), "moved");
  EXPECT_FALSE(FileManager::fileExists(at("dst/stale")));

  ASSERT_TRUE(FileManager::writeAtomically(at("file"), "file").ok());
  ASSERT_TRUE(FileManager::moveItem(at("file"), at("dst")).ok()) << "a file may replace a folder";
  EXPECT_EQ(read(at("dst")), "file");
}

TEST_F(FileManagerTest, MoveNeverDestroysItsOwnSource) {
  ASSERT_TRUE(FileManager::createDirectory(at("parent/child")).ok());
  ASSERT_TRUE(FileManager::writeAtomically(at("parent/child/f"), "keep").ok());
  ASSERT_TRUE(FileManager::writeAtomically(at("parent/g"), "keep too").ok());
  EXPECT_FALSE(FileManager::moveItem(at("parent/child"), at("parent")).ok());
  EXPECT_EQ(read(at("parent/child/f")), "keep");
  EXPECT_EQ(read(at("parent/g")), "keep too");

  expectFailureNaming(FileManager::moveItem(at("absent"), at("x")), ENOENT, at("absent"));
}

TEST_F(FileManagerTest, CopyDuplicatesFilesAndTrees) {
  ASSERT_TRUE(FileManager::createDirectory(at("tree/sub")).ok());
  ASSERT_TRUE(FileManager::writeAtomically(at("tree/a"), "A").ok());
  ASSERT_TRUE(FileManager::writeAtomically(at("tree/sub/b"), "B").ok());
  ASSERT_TRUE(FileManager::copyItem(at("tree"), at("copy")).ok());
  EXPECT_EQ(read(at("copy/a")), "A");
  EXPECT_EQ(read(at("copy/sub/b")), "B");
  EXPECT_EQ(read(at("tree/a")), "A");

  ASSERT_TRUE(FileManager::writeAtomically(at("target"), "old content").ok());
  ASSERT_TRUE(FileManager::copyItem(at("tree/a"), at("target")).ok());
  EXPECT_EQ(read(at("target")), "A");
  expectFailureNaming(FileManager::copyItem(at("absent"), at("x")), ENOENT, at("absent"));
  expectFailureNaming(FileManager::copyItem(at("tree"), at("tree/sub/again")), EINVAL, at("tree/sub/again"));
  EXPECT_FALSE(FileManager::fileExists(at("tree/sub/again")));
}

TEST_F(FileManagerTest, RemoveTakesWholeTreesAndAcceptsNothing) {
  ASSERT_TRUE(FileManager::createDirectory(at("songs/1/2")).ok());
  ASSERT_TRUE(FileManager::writeAtomically(at("songs/1/2/3.mp3"), "x").ok());
  EXPECT_TRUE(FileManager::removeItem(at("songs/1")).ok());
  EXPECT_FALSE(FileManager::fileExists(at("songs/1")));
  EXPECT_TRUE(FileManager::isDirectory(at("songs")));
  EXPECT_TRUE(FileManager::removeItem(at("songs/1")).ok());
  EXPECT_TRUE(FileManager::removeItem(at("songs/1/2/3.mp3")).ok());
}

TEST_F(FileManagerTest, SizesListingsAndFreeSpace) {
  ASSERT_TRUE(FileManager::writeAtomically(at("b"), "12345").ok());
  ASSERT_TRUE(FileManager::createDirectory(at("a/deep")).ok());
  ASSERT_TRUE(FileManager::writeAtomically(at("a/deep/c.mp3"), "1").ok());
  EXPECT_EQ(*FileManager::fileSize(at("b")), 5u);
  EXPECT_TRUE(FileManager::fileSize(at("none")).error()->is(kPOSIXErrorDomain, ENOENT));

  EXPECT_EQ(*FileManager::contentsOfDirectory(home), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(*FileManager::subpathsOfDirectory(at("a")), (std::vector<std::string>{"deep", "deep/c.mp3"}));
  EXPECT_TRUE(FileManager::contentsOfDirectory(at("none")).error()->is(kPOSIXErrorDomain, ENOENT));
  EXPECT_TRUE(FileManager::contentsOfDirectory(at("b")).error()->is(kPOSIXErrorDomain, ENOTDIR));
  EXPECT_FALSE(FileManager::subpathsOfDirectory(at("none")).ok());

  auto free = FileManager::freeDiskSpace(home);
  ASSERT_TRUE(free.ok());
  EXPECT_GT(*free, 0u);
  EXPECT_FALSE(FileManager::freeDiskSpace(at("none")).ok());
}

TEST(SafePathComponentTest, RefusesNamesThatLeaveTheirFolder) {
  for (std::string_view good : {"12345", "program_7.jpg", "a..b", ".hidden", "名字"}) {
    EXPECT_TRUE(FileManager::isSafePathComponent(good)) << good;
  }
  using namespace std::string_literals;
  for (std::string bad : {""s, "."s, ".."s, "a/b"s, "/"s, "../x"s, "a\0b"s, std::string(256, 'x')}) {
    EXPECT_FALSE(FileManager::isSafePathComponent(bad)) << bad;
  }
}

}  // namespace
}  // namespace foundation
