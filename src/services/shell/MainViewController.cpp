#include "src/services/shell/MainViewController.h"

#include "platform/ui/Nib.h"

namespace services {

void MainViewController::viewDidLoad() {
  ViewController::viewDidLoad();
  loadAudioPlayerView();
}

std::shared_ptr<AudioPlayerPanel> MainViewController::audioPlayerView() {
  (void)view();
  return audioPlayerView_;
}

void MainViewController::loadAudioPlayerView() {
  if (audioPlayerView_) return;
  ui::Nib::TopLevelObjects views = ui::Nib::instantiate(AudioPlayerPanel::kNibName);
  if (views.empty()) return;
  auto panel = std::dynamic_pointer_cast<AudioPlayerPanel>(views.front());
  if (!panel) return;
  // The panel stays above every screen the pane shows.
  view()->addSubview(views.front());
  audioPlayerView_ = std::move(panel);
  audioPlayerView_->initAudioPlayer();
}

}  // namespace services
