#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/foundation/FileManager.h"
#include "src/api/cache/ListenHistory.h"
#include "src/api/cache/RequestCacheFolder.h"
#include "src/api/requests/PlayRequests.h"
#include "tests/api/requests/ApiRequestTestSupport.h"

namespace api {
namespace {

using foundation::Value;

class ListenHistoryTest : public apitest::ApiRequestTest {
 protected:
  static ProgramModelPtr programme(int id) {
    return ProgramModel::initWithDataDic({{"program_id", id}, {"program_name", "节目" + std::to_string(id)}});
  }
  static std::vector<std::string> ids() {
    std::vector<std::string> found;
    for (const ProgramModelPtr& entry : ListenHistoryRequest::ListListenHistoryProgram())
      found.push_back(entry->programId().value_or("?"));
    return found;
  }
};

TEST_F(ListenHistoryTest, APlayedProgrammeMovesToTheHeadWithoutDuplicates) {
  for (int id : {1, 2, 3}) ListenHistoryRequest::addListenProgram(programme(id));
  EXPECT_EQ(ids(), (std::vector<std::string>{"3", "2", "1"}));
  ListenHistoryRequest::addListenProgram(programme(1));
  EXPECT_EQ(ids(), (std::vector<std::string>{"1", "3", "2"}));
  ListenHistoryRequest::addListenProgram(ProgramModel::initWithDataDic({}));
  ListenHistoryRequest::addListenProgram(ProgramModel::initWithDataDic({}));
  EXPECT_EQ(ids(), (std::vector<std::string>{"?", "?", "1", "3", "2"}));  // no id matches nothing
}

// The file is replaced whole on each write, so an unchanged file number says it was not written.
TEST_F(ListenHistoryTest, TheProgrammeAlreadyFirstPlayedAgainLeavesTheFileAloneUnlessItChanged) {
  const std::string path = RequestCacheFolder::pathOf(ListenHistory::kFileName);
  const auto fileNumber = [&] {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0);
    return status.st_ino;
  };
  for (int id : {1, 2}) ListenHistoryRequest::addListenProgram(programme(id));
  const ino_t written = fileNumber();
  ListenHistoryRequest::addListenProgram(programme(2));
  EXPECT_EQ(fileNumber(), written);

  ListenHistoryRequest::addListenProgram(
      ProgramModel::initWithDataDic({{"program_id", 2}, {"program_name", "改名的节目"}}));
  EXPECT_NE(fileNumber(), written);
  EXPECT_EQ(ListenHistoryRequest::ListListenHistoryProgram().front()->programName(), "改名的节目");
  EXPECT_EQ(ids(), (std::vector<std::string>{"2", "1"}));
}

TEST_F(ListenHistoryTest, TheHistoryKeepsTheFiftyNewest) {
  for (int id = 1; id <= 51; ++id) ListenHistoryRequest::addListenProgram(programme(id));
  std::vector<std::string> kept = ids();
  ASSERT_EQ(kept.size(), ListenHistory::kMaxPrograms);
  EXPECT_EQ(kept.front(), "51");
  EXPECT_EQ(kept.back(), "2");
}

TEST_F(ListenHistoryTest, TheServersHistoryReplacesTheLocalOneUncappedUntilTheNextPlay) {
  ListenHistoryRequest::addListenProgram(programme(999));
  std::string lists;
  for (int id = 1; id <= 80; ++id)
    lists += std::string(id > 1 ? "," : "") + R"({"program_id":")" + std::to_string(id) +
             R"(","fav":"1","user":{"uname":"听众"}})";
  api.answerWithBody("play.getPlayedPrograms", R"({"err":"hapn.ok","total":80,"data":[)" + lists + "]}");
  call<ListenHistoryRequest>();
  EXPECT_EQ(delegate->resultDic[kKeyTotal], Value(80));
  EXPECT_EQ(modelsAt<ProgramModel>(delegate->resultDic[kKeyArray]).size(), 80u);

  std::vector<ProgramModelPtr> saved = ListenHistoryRequest::ListListenHistoryProgram();
  ASSERT_EQ(saved.size(), 80u);
  EXPECT_EQ(saved[0]->programId(), "1");
  EXPECT_EQ(saved[0]->fav(), "1");
  ASSERT_TRUE(saved[0]->user());
  EXPECT_EQ(saved[0]->user()->uname(), "听众");
  EXPECT_TRUE(saved[0]->channelArr().empty());

  ListenHistoryRequest::addListenProgram(programme(81));
  EXPECT_EQ(ids().size(), 50u);
  EXPECT_EQ(ids().front(), "81");
}

TEST_F(ListenHistoryTest, TheFixtureHistoryKeepsChannelsAndAnUnreadableFileIsAnEmptyHistory) {
  call<ListenHistoryRequest>();
  std::vector<ProgramModelPtr> saved = ListenHistoryRequest::ListListenHistoryProgram();
  ASSERT_EQ(saved.size(), 3u);
  EXPECT_EQ(saved[0]->channelArr()[0]->channelName(), "华语流行");
  EXPECT_EQ(saved[1]->programId(), "20488");

  ASSERT_TRUE(foundation::FileManager::writeAtomically(RequestCacheFolder::pathOf(ListenHistory::kFileName),
                                                       std::string_view("truncated archi"))
                  .ok());
  EXPECT_TRUE(ListenHistoryRequest::ListListenHistoryProgram().empty());
  ListenHistoryRequest::addListenProgram(programme(5));
  EXPECT_EQ(ids(), (std::vector<std::string>{"5"}));
}

}  // namespace
}  // namespace api
