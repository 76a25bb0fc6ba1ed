#pragma once

#include <filesystem>
#include <string>

#include "platform/ui/Renderer.h"
#include "platform/ui/Screen.h"
#include "src/services/catalogue/ProgramActionSheet.h"
#include "src/services/catalogue/SAlbumActionSheet.h"
#include "src/services/sharing/ShareActionSheet.h"
#include "src/services/sharing/ShareButtonActionViewController.h"
#include "tests/playback/player/PlayerFixture.h"

namespace paneltest {

// The player panel in the main pane's window, started and collapsed, on the fakes of the player tests.
class PanelTest : public playertest::PlayerTest {
 protected:
  void SetUp() override {
    PlayerTest::SetUp();
    ui::Screen::setMain(ui::Screen());
    ui::Application::shared().resetForTesting();
    services::ProgramActionSheet::resetForTesting();
    services::SAlbumActionSheet::resetForTesting();
    services::ShareActionSheet::resetForTesting();
    services::ShareButtonActionViewController::resetForTesting();
  }

  void TearDown() override {
    PlayerTest::TearDown();
    ui::Screen::setMain(ui::Screen());
  }

  // The panel as the main pane loads it, with the channel on air listed.
  playback::AudioPlayerView& shownPanel() {
    (void)services::AppDelegate::sharedDelegate().window();
    auto pane = services::AppDelegate::sharedDelegate().getMainController();
    (void)pane->audioPlayerView();
    EXPECT_TRUE(runUntil([&] { return !player().musicListArray().empty(); }));
    settle();
    return player();
  }

  // A published programme of user 77 with these songs, now the panel's list.
  static api::ProgramModelPtr playProgramme(const std::string& id, int songCount = 3) {
    auto programme = std::make_shared<api::ProgramModel>();
    programme->setProgramId(id);
    programme->setProgramName("节目" + id);
    programme->setStatus("1");
    auto creator = std::make_shared<api::UserModel>();
    creator->setUid("77");
    creator->setUname("夜行DJ");
    creator->setPriUserPage("1");
    programme->setUser(creator);
    std::vector<std::string> ids;
    for (int i = 1; i <= songCount; ++i) ids.push_back(id + "0" + std::to_string(i));
    player().playProgram(programme, playertest::songs(ids), std::nullopt, std::nullopt);
    return programme;
  }

  int panelLabels(const std::string& text) const { return labelsWithText(player(), text); }

  static std::string renderedPath(const std::string& name) {
    std::filesystem::create_directories("rendered");
    return "rendered/" + name + ".png";
  }
};

}  // namespace paneltest
