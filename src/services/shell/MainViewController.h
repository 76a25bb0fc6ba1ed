#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "src/services/shell/AudioPlayerPanel.h"

namespace services {

// The main pane beneath the player panel: it remembers what is being played and owns the one
// player panel, loaded from its nib on the pane's first load. Main thread only.
class MainViewController : public ui::ViewController {
 public:
  // The channel and the programme being played; nullopt when none.
  const std::optional<std::string>& app_ChannelId() const { return channelId_; }
  void setApp_ChannelId(std::optional<std::string> channelId) { channelId_ = std::move(channelId); }
  const std::optional<std::string>& app_ProgramId() const { return programId_; }
  void setApp_ProgramId(std::optional<std::string> programId) { programId_ = std::move(programId); }

  // The shared player panel, loading the pane first when needed; nullptr when no panel nib is
  // registered or it does not build a panel.
  std::shared_ptr<AudioPlayerPanel> audioPlayerView();

  void viewDidLoad() override;

 private:
  void loadAudioPlayerView();

  std::optional<std::string> channelId_;
  std::optional<std::string> programId_;
  std::shared_ptr<AudioPlayerPanel> audioPlayerView_;
};

}  // namespace services
