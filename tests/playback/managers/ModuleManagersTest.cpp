#include <gtest/gtest.h>

#include "platform/ui/Renderer.h"
#include "src/playback/managers/ProgramApiManager.h"
#include "src/playback/managers/SAlbumApiManager.h"
#include "src/playback/managers/TrackHelper.h"
#include "src/services/account/LoginViewController.h"
#include "tests/playback/offline/DownloadFixture.h"

namespace playback {
namespace {

class ModuleManagersTest : public testing::DownloadFixture {
 protected:
  void SetUp() override {
    DownloadFixture::SetUp();
    for (const char* name : {"ProgramIsCollected", "ProgramIsCancelCollected", "notificationProgramAuditPass",
                             "notificationProgramAuditFail", "SalbumIsUp", "SalbumIsDown", "SalbumIsRecommond",
                             "SalbumIsCancel", "userLogoutEvent"})
      foundation::NotificationCenter::defaultCenter().addObserver(this, name,
                                                                  [this](const foundation::Notification& note) {
                                                                    std::string entry = note.name;
                                                                    for (const char* key : {"ProgramId", "SalbumId"})
                                                                      if (note.userInfo.contains(key))
                                                                        entry += " " + note.userInfo[key].toString();
                                                                    posted.push_back(entry);
                                                                  });
  }
  void settleCalls() {
    ASSERT_TRUE(runUntil([&] { return liveRequests().empty(); }));
  }
  int shown(const std::string& text) { return labelsWithText(*services::AppDelegate::sharedDelegate().window(), text); }
};

TEST_F(ModuleManagersTest, KeepingAProgrammeOfflineAddsItAndLettingGoRemovesIt) {
  foundation::UserDefaults::standardUserDefaults().removeObjectForKey("IS_DOWNLOAD_PAUSE_5821");
  programme("901", {});
  ProgramApiManager::syncProgram("901", true);
  runUntilPosted("notificationProgramIsDownloaded 901");
  EXPECT_EQ(api.callsTo("user._subscribe")[0].formValue("sync"), "1");
  EXPECT_EQ(shown("节目加入离线节目成功!"), 1);
  ASSERT_NE(ui::Image::named("programWaitingForDownload.png"), nullptr);
  step(0.3);
  ASSERT_TRUE(ui::renderToPNG(*services::AppDelegate::sharedDelegate().window(), renderedPath("offline_added_toast"),
                              {.scale = 2})
                  .ok());
  EXPECT_FALSE(downloads().isDownloadPauseNil());

  ProgramApiManager::syncProgram("901", false);
  runUntilPosted("notificationProgramCancelDownload 901");
  EXPECT_EQ(shown("节目删除成功!"), 1);

  api.answerWithErr("user._subscribe", "radio.u_busy");
  ProgramApiManager::syncProgram("901", true);
  settleCalls();
  EXPECT_EQ(shown("节目离线失败!"), 1);
}

TEST_F(ModuleManagersTest, UncollectingStopsTheDownloadBeforeSayingSo) {
  programme("911", {});
  downloads().addDownloadProgramAndSyncWithId("911");
  runUntilPosted("notificationProgramIsDownloaded 911");
  ProgramApiManager::subscribeProgram("911", true);
  runUntilPosted("ProgramIsCollected 911");
  ProgramApiManager::subscribeProgram("911", false);
  runUntilPosted("ProgramIsCancelCollected 911");
  auto cancelled = std::find(posted.begin(), posted.end(), "notificationProgramCancelDownload 911");
  EXPECT_LT(cancelled, std::find(posted.begin(), posted.end(), "ProgramIsCancelCollected 911"));
  EXPECT_EQ(api.callsTo("user._unsubscribe")[0].formValue("program_id"), "911");
  EXPECT_EQ(api.callsTo("user._unsubscribe")[0].formValue("sync"), std::nullopt);
  EXPECT_EQ(shown("节目收藏成功!") + shown("节目取消收藏成功!"), 2);
}

TEST_F(ModuleManagersTest, AnExpiredLoginLogsOutAndAsksToLogIn) {
  api.answerWithErr("user._subscribe", "hapn.u_login");
  for (bool loggedIn : {true, false}) {
    SCOPED_TRACE(loggedIn ? "logged in" : "nobody logged in");
    services::AppDelegate::resetForTesting();
    posted.clear();
    ProgramApiManager::subscribeProgram("921", true);
    settleCalls();
    EXPECT_FALSE(framework::DataCacheManager::sharedManager().hasObjectInCacheByKey("userIsLogin"));
    EXPECT_EQ(std::count(posted.begin(), posted.end(), "userLogoutEvent"), loggedIn ? 1 : 0);
    auto& app = services::AppDelegate::sharedDelegate();
    EXPECT_EQ(app.sinaWeiboLogoutCount(), 1);
    EXPECT_EQ(app.tqqLogoutCount(), 1);
    auto login =
        std::dynamic_pointer_cast<services::LoginViewController>(app.getMainController()->presentedViewController());
    ASSERT_NE(login, nullptr);
    EXPECT_TRUE(login->isRegist());
  }
  EXPECT_EQ(TrackHelper::labelForUid(), "_");
}

TEST_F(ModuleManagersTest, AuditsAndAlbumsPostAndToastByTheirTable) {
  ProgramApiManager::auditProgram("931", "good", true);
  runUntilPosted("notificationProgramAuditPass 931");
  EXPECT_EQ(shown("节目审核通过操作成功!"), 2);
  EXPECT_EQ(api.callsTo("radio._auditProgram")[0].formValue("audit_pass"), "1");
  ProgramApiManager::auditProgram("931", "bad", false);
  runUntilPosted("notificationProgramAuditFail 931");
  EXPECT_EQ(shown("节目审核不通过操作成功!"), 1);

  SAlbumApiManager::activeSAlbum("5", true);
  SAlbumApiManager::activeSAlbum("5", false);
  SAlbumApiManager::newSAlbum("5", true);
  SAlbumApiManager::newSAlbum("5", false);
  settleCalls();
  for (const char* note : {"SalbumIsUp 5", "SalbumIsDown 5", "SalbumIsRecommond 5", "SalbumIsCancel 5"})
    EXPECT_EQ(std::count(posted.begin(), posted.end(), note), 1) << note;
  for (const char* text : {"专辑上架成功!", "专辑下架成功!", "专辑推荐成功!", "专辑取消推荐成功!"})
    EXPECT_EQ(shown(text), 1) << text;
  EXPECT_EQ(api.callsTo("item._setNewSAlbum")[1].formValue("set"), "0");

  api.answerWithErr("item._activeSAlbum", "item.u_denied");
  api.dropConnection("item._setNewSAlbum");
  SAlbumApiManager::activeSAlbum("5", true);
  SAlbumApiManager::newSAlbum("5", true);
  settleCalls();
  EXPECT_EQ(shown("专辑上架失败!"), 1);
  EXPECT_EQ(shown("专辑推荐失败!"), 0);
  EXPECT_EQ(std::count(posted.begin(), posted.end(), "SalbumIsRecommond 5"), 1);
}

}  // namespace
}  // namespace playback
