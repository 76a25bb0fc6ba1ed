#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Slider.h"
#include "platform/ui/TableView.h"
#include "platform/ui/VolumeView.h"
#include "src/framework/images/QRVImageView.h"
#include "src/framework/ui/QRVCircularSlider.h"
#include "src/framework/ui/QRVXibView.h"
#include "src/playback/panel/GEDriftView.h"
#include "src/playback/panel/ShrinkViewController.h"
#include "src/playback/player/DjInfoView.h"
#include "src/playback/player/PlayerController.h"
#include "src/playback/player/PlayerPanel.h"
#include "src/services/sharing/ShareButtonActionViewController.h"
#include "src/services/shell/AudioPlayerPanel.h"

namespace services {
class SingleSongCell;
}

namespace playback {

// The one player of the application: the panel above every screen of the main pane, holding the
// PlayerController whose playback it shows; the controller speaks to the panel only through
// PlayerPanel. Collapsed, only its 44-point top bar shows at the bottom of the screen; pulled up,
// it covers the screen with the drifting cover, the creator, the song table, the sliders and the
// buttons that act on what plays. Screens start playback through the entry points below on the
// shared instance. The panel is built from its nib ("AudioPlayerView"), which the main pane loads
// once. Main thread.
class AudioPlayerView final : public framework::QRVXibView,
                              public PlayerPanel,
                              public services::AudioPlayerPanel,
                              public ui::TableViewDataSource,
                              public ui::TableViewDelegate,
                              public ui::AlertViewDelegate,
                              public framework::QRVImageViewDelegate,
                              public services::ButtonActionSheetDelegate {
 public:
  static constexpr const char* kXibName = services::AudioPlayerPanel::kNibName;
  static constexpr double kTopBarHeight = 44;
  static constexpr double kRowHeight = 60;
  static constexpr double kSectionHeaderHeight = 23;
  static constexpr double kAnimationSeconds = 0.3;
  static constexpr int kPanelTag = 9999;
  static constexpr const char* kSongCellIdentifier = "IndexSongCell";
  static constexpr const char* kCoverStyle = "large2";
  static constexpr const char* kCreatorPictureStyle = "small0";
  static constexpr const char* kCoverPlaceholder = "placeHolderBig.png";
  static constexpr const char* kCreatorPlaceholder = "user_default_pic.png";
  // Alert tags of the two questions the panel asks.
  static constexpr int kCancelOfflineAlertTag = 1;
  static constexpr int kCancelCollectionAlertTag = 2;
  // Refusals and questions of the panel's actions.
  static constexpr const char* kAlbumNoOfflineToast = "专辑不能离线";
  static constexpr const char* kUnpublishedNoOfflineToast = "未发布节目不能离线";
  static constexpr const char* kOfflineModeNoOfflineToast = "离线模式不能取消离线";
  static constexpr const char* kAlbumNoCollectToast = "专辑不能收藏";
  static constexpr const char* kUnpublishedNoCollectToast = "未发布节目不能收藏";
  static constexpr const char* kOfflineModeNoCollectToast = "离线模式不能取消收藏";
  static constexpr const char* kUnpublishedNoShareToast = "未发布节目不能分享";
  static constexpr const char* kAlbumNoShareToast = "专辑不能分享";
  static constexpr const char* kOfflineModeNoShareToast = "离线模式不能分享";
  static constexpr const char* kNoHomePageToast = "该用户无个人主页";
  static constexpr const char* kCancelOfflineQuestion = "取消离线，删除已离线节目!";
  static constexpr const char* kCancelCollectionQuestion = "取消收藏，会删除已离线节目!";
  static constexpr const char* kDeleteAnswer = "删除";
  static constexpr const char* kKeepAnswer = "放弃";

  // Main thread. The shared panel, built on first use; the nib hands out the same one.
  static std::shared_ptr<AudioPlayerView> sharedAudioPlayer();
  // Test hook: forgets the shared panel.
  static void resetSharedForTesting();

  AudioPlayerView();
  ~AudioPlayerView() override;

  // Main thread; once, from the main pane: lays the panel out collapsed and starts the player.
  void initAudioPlayer() override;
  // Seconds as "mm:ss" (65 gives "01:05", 3600 "60:00"); negative seconds count as 0.
  static std::string formatTimeLabelBySecond(std::int64_t seconds);
  // The cover's address for what plays now, with the large style; empty when there is none.
  std::string coverUrl() const;

  // --- Playback ---
  PlayerController& controller() { return controller_; }
  const PlayerController& controller() const { return controller_; }
  // The entry points, each replacing what plays, and the play buttons; see PlayerController.
  void playNowChannel() { controller_.playNowChannel(); }
  void playChannel(const std::string& channelId) { controller_.playChannel(channelId); }
  void playProgramFromChannel(const std::string& programId, const std::string& channelId) {
    controller_.playProgramFromChannel(programId, channelId);
  }
  void playProgram(const std::string& programId, const std::optional<std::string>& startFromSong, bool playNow = true) {
    controller_.playProgram(programId, startFromSong, playNow);
  }
  void playProgram(const api::ProgramModelPtr& programme, const std::vector<api::SongModelPtr>& songs,
                   const std::optional<std::string>& startFromSong, const std::optional<std::string>& fromChannel) {
    controller_.playProgram(programme, songs, startFromSong, fromChannel);
  }
  void playSAlbum(const api::SAlbumModelPtr& salbum, const std::vector<api::SongModelPtr>& songs,
                  const std::optional<std::string>& startFromSong) {
    controller_.playSAlbum(salbum, songs, startFromSong);
  }
  void playSong(const api::SongModelPtr& song) { controller_.playSong(song); }
  void playAnything() { controller_.playAnything(); }
  void playOrPause() { controller_.playOrPause(); }
  void interruptPlay() { controller_.interruptPlay(); }
  void play() { controller_.play(); }
  void handleNextSongButtonClickEvent() { controller_.handleNextSongButtonClickEvent(); }
  void handleStartAndPauseButtonEvent() { controller_.handleStartAndPauseButtonEvent(); }
  // What plays.
  int playState() const { return controller_.playState(); }
  const api::ProgramModelPtr& program() const { return controller_.program(); }
  const api::SAlbumModelPtr& salbum() const { return controller_.salbum(); }
  const std::vector<api::SongModelPtr>& musicListArray() const { return controller_.musicListArray(); }
  const api::SongModelPtr& selectedSong() const { return controller_.selectedSong(); }
  const std::optional<std::string>& playFromChannelId() const { return controller_.playFromChannelId(); }
  std::vector<api::ProgramModelPtr>& prePlayPrograms() { return controller_.prePlayPrograms(); }
  bool isPlaying() const { return controller_.isPlaying(); }
  bool isAdvertisement() const { return controller_.isAdvertisement(); }
  bool isLoadingDonwSongSource() const { return controller_.isLoadingDonwSongSource(); }

  // --- Layout states and animations ---
  void goUpWithAnimation(bool animated);
  void pullUpWithAnimation(bool animated);
  void goDownWithAnimation(bool animated);
  void pullDownWithAnimation(bool animated);
  bool isPullUp() const { return isPullUp_; }
  // Gestures: the finger's position in the panel's superview (before the 20-point offset).
  void handlePanMoved(double y);
  void handlePanEnded(double y);
  void handlePlayerViewClickEvent(double x);
  void handleTopViewLeftDownButtonEvent();

  // --- Sliders and route ---
  void handleMusicSliderTouchDown();
  void handleMusicSliderValueChangedEvent();
  void handleMusicSliderTouchUpInsideEvent();
  void volumeSliderValueChanged();
  void volumeChanged(float volume);
  void cleanSlider();
  void wirelessRoutsChange(bool available);
  void layoutAirPlay();

  // --- Actions on the playing programme ---
  void handleAudioPlayerDownloadButtonClickEvent();
  void handleAudioPlayerFavButtonClickEvent();
  void handleAudioPlayerShareButtonClickEvent();
  void handleAudioPlayerTimingButtonClickEvent();
  void handleShowUserInfoButtonEvent();
  void handleJiemuButtonClickEvent();
  void handleLinkClickViewEvent();
  void handleCMbuttonClickEvent();
  void handleHeaderViewLongPressGesture();
  void configDownloadAndFavButton();
  void configPri();
  void didDismiss(ui::AlertView& alert, int buttonIndex) override;
  // Whether a home page opened from the panel is up.
  bool isHomePageShowing() const { return homePageShowing_; }
  const std::shared_ptr<ShrinkViewController>& shrinkViewController() const { return shrinkViewController_; }

  // --- Outlets ---
  const std::shared_ptr<ui::View>& topView() const { return topView_; }
  const std::shared_ptr<ui::View>& titleViewIntopView() const { return titleViewIntopView_; }
  const std::shared_ptr<ui::ImageView>& topViewImage() const { return topViewImage_; }
  const std::shared_ptr<ui::Label>& topViewSongNameLabel() const { return topViewSongNameLabel_; }
  const std::shared_ptr<ui::Label>& topViewProgramNameLabel() const { return topViewProgramNameLabel_; }
  const std::shared_ptr<ui::Button>& topPlayButton() const { return topPlayButton_; }
  const std::shared_ptr<ui::Button>& topViewLeftButton() const { return topViewLeftButton_; }
  const std::shared_ptr<ui::ActivityIndicatorView>& topActivityIndicator() const { return topActivityIndicator_; }
  const std::shared_ptr<ui::ImageView>& blurTitleView() const { return blurTitleView_; }
  const std::shared_ptr<ui::ImageView>& blurImageView() const { return blurImageView_; }
  const std::shared_ptr<ui::View>& detailAudioPlayer() const { return detailAudioPlayer_; }
  const std::shared_ptr<ui::Label>& currentTimeLabel() const { return currentTimeLabel_; }
  const std::shared_ptr<ui::Label>& totalTimeLabel() const { return totalTimeLabel_; }
  const std::shared_ptr<ui::ActivityIndicatorView>& loadingView() const { return loadingView_; }
  const std::shared_ptr<ui::Slider>& positionSlider() const { return positionSlider_; }
  const std::shared_ptr<framework::QRVCircularSlider>& circularSlider() const { return circularSlider_; }
  const std::shared_ptr<ui::Slider>& volumeSlider() const { return volumeSlider_; }
  const std::shared_ptr<ui::Button>& playButton() const { return playButton_; }
  const std::shared_ptr<ui::Button>& nextSongButton() const { return nextSongButton_; }
  const std::shared_ptr<ui::Button>& timerButton() const { return timerButton_; }
  const std::shared_ptr<ui::Button>& downloadButton() const { return downloadButton_; }
  const std::shared_ptr<ui::Button>& collectButton() const { return collectButton_; }
  const std::shared_ptr<ui::Button>& shareButton() const { return shareButton_; }
  const std::shared_ptr<ui::ImageView>& downloadingIconImageView() const { return downloadingIcon_; }
  const std::shared_ptr<ui::TableView>& musicTable() const { return musicTable_; }
  const std::shared_ptr<ui::View>& headerView() const { return headerView_; }
  const std::shared_ptr<GEDriftView>& coverView() const { return coverView_; }
  const std::shared_ptr<DjInfoView>& djInfoView() const { return djInfoView_; }
  const std::shared_ptr<ui::Button>& djInfoViewButton() const { return djInfoViewButton_; }
  const std::shared_ptr<ui::Label>& djInfoUsernameLabel() const { return djInfoUsernameLabel_; }
  const std::shared_ptr<framework::QRVImageView>& djInfoPicImageView() const { return djInfoPicImageView_; }
  const std::shared_ptr<ui::ImageView>& djInfoIconView() const { return djInfoIconView_; }
  const std::shared_ptr<ui::ImageView>& djInfoViewArrowImageView() const { return djInfoViewArrow_; }
  const std::shared_ptr<ui::Button>& linkClickView() const { return linkClickView_; }
  const std::shared_ptr<ui::Button>& jmBtn() const { return jmBtn_; }
  const std::shared_ptr<ui::Button>& CMbutton() const { return CMbutton_; }
  const std::shared_ptr<ui::VolumeView>& airPlayView() const { return airPlayView_; }
  ui::Button* airPlayButton() const { return airPlayButton_; }

  // --- PlayerPanel ---
  void showLoading(bool loading) override;
  void showPlaying(bool playing) override;
  void showPosition(double seconds) override;
  void showDuration(std::int64_t seconds) override;
  void enableSeeking(bool enabled) override;
  void showSongRowLoading(const std::string& songId) override;
  void showSongRowPlaying(const std::string& songId) override;
  void resetSongRow(const std::string& songId) override;
  void reloadSongTable() override;
  void setAudioView() override;
  void configTopViewWithSong() override;
  void pullUp() override;
  void refreshProgrammeButtons() override { configDownloadAndFavButton(); }
  void showProgrammeDownloaded() override;
  void enableOnlineButtons(bool enabled) override;
  void showTimerRunning(bool running) override;
  ui::ImagePtr coverImage() const override;
  std::string coverImageFile() const override;

  // --- Song table ---
  int numberOfRows(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  std::optional<double> heightForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  std::optional<double> heightForHeader(ui::TableView& table, int section) override;
  std::shared_ptr<ui::View> viewForHeader(ui::TableView& table, int section) override;
  void didSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) override;

  // --- Cover arrivals ---
  void imageLoaded(framework::QRVImageView& view) override;

 private:
  // The nib: every outlet in its place, collapsed.
  void buildViews();
  void buildTopView();
  void buildDetailAudioPlayer();
  void buildTable();
  void buildDjInfoView();
  void connectActions();
  // Set-up steps.
  void configTable();
  void loadSlider();
  void configAirPlayView();
  void observePanelNotifications();
  // setAudioView for a programme, and for songs and albums.
  void setProgrammeViews();
  void setSongViews();
  void showCoverInTopBar(const ui::ImagePtr& picture);
  void takeCoverPicture(const ui::ImagePtr& picture);
  void blurCover(const ui::ImagePtr& picture);
  void blurCoverOnceLoaded();
  void fitBlurredViews();
  void setSliderThumbStatus();
  // The row showing the song, when it is in view.
  services::SingleSongCell* songRow(const std::string& songId) const;
  // Actions: whether a programme is playing, and the main pane that presents screens.
  bool playsProgramme() const;
  void showErrorToastForTitle(const std::string& text);
  void askToCancel(const char* question, int tag);

  bool started_ = false;
  bool isPullUp_ = false;
  bool homePageShowing_ = false;
  // The programme a pending cancel question is about.
  std::string alertProgrammeId_;

  std::shared_ptr<ui::View> topView_;
  std::shared_ptr<ui::View> titleViewIntopView_;
  std::shared_ptr<ui::ImageView> topViewImage_;
  std::shared_ptr<ui::Label> topViewSongNameLabel_;
  std::shared_ptr<ui::Label> topViewProgramNameLabel_;
  std::shared_ptr<ui::Button> topPlayButton_;
  std::shared_ptr<ui::Button> topViewLeftButton_;
  std::shared_ptr<ui::ActivityIndicatorView> topActivityIndicator_;
  std::shared_ptr<ui::ImageView> blurTitleView_;
  std::shared_ptr<ui::ImageView> blurImageView_;
  std::shared_ptr<ui::View> detailAudioPlayer_;
  std::shared_ptr<ui::Label> currentTimeLabel_;
  std::shared_ptr<ui::Label> totalTimeLabel_;
  std::shared_ptr<ui::ActivityIndicatorView> loadingView_;
  std::shared_ptr<ui::Slider> positionSlider_;
  std::shared_ptr<framework::QRVCircularSlider> circularSlider_;
  std::shared_ptr<ui::Slider> volumeSlider_;
  std::shared_ptr<ui::VolumeView> systemVolumeView_;
  std::shared_ptr<ui::Button> playButton_;
  std::shared_ptr<ui::Button> nextSongButton_;
  std::shared_ptr<ui::Button> timerButton_;
  std::shared_ptr<ui::Button> downloadButton_;
  std::shared_ptr<ui::Button> collectButton_;
  std::shared_ptr<ui::Button> shareButton_;
  std::shared_ptr<ui::ImageView> downloadingIcon_;
  std::shared_ptr<ui::ActivityIndicatorView> bottomActivityIndicator_;
  std::shared_ptr<ui::TableView> musicTable_;
  std::shared_ptr<ui::View> headerView_;
  std::shared_ptr<GEDriftView> coverView_;
  std::shared_ptr<DjInfoView> djInfoView_;
  std::shared_ptr<ui::Button> djInfoViewButton_;
  std::shared_ptr<ui::Label> djInfoUsernameLabel_;
  std::shared_ptr<framework::QRVImageView> djInfoPicImageView_;
  std::shared_ptr<ui::ImageView> djInfoIconView_;
  std::shared_ptr<ui::ImageView> djInfoViewArrow_;
  std::shared_ptr<ui::Button> linkClickView_;
  std::shared_ptr<ui::Button> jmBtn_;
  std::shared_ptr<ui::Button> CMbutton_;
  std::shared_ptr<ui::VolumeView> airPlayView_;
  ui::Button* airPlayButton_ = nullptr;
  std::shared_ptr<ShrinkViewController> shrinkViewController_;
  // A cover that arrived while a song loaded: blurred once the song is under way.
  ui::ImagePtr coverAwaitingBlur_;
  // Whether the top bar's picture is the cover of the list now shown: a new list keeps the last
  // cover in the bar until its own arrives, and that one is no artwork of the new list.
  bool topBarHoldsCurrentCover_ = false;
  // Last, so that it goes before the views it shows on.
  PlayerController controller_{*this};
};

}  // namespace playback
