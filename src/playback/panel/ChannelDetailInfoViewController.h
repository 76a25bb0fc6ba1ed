#pragma once

#include <memory>

#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/ViewController.h"
#include "src/api/models/ProgramModel.h"
#include "src/framework/images/QRVImageView.h"

namespace playback {

// The information sheet of the playing programme: on a dark scrolling page its name, round cover,
// DJ, collection and play counts and description, with a close button that stays put. A tap on the
// DJ area opens the DJ's home page over it. Everything comes from the programme it was made with,
// which it keeps. The page is built once, when the view loads. Made with std::make_shared.
// Main thread only.
class ChannelDetailInfoViewController : public ui::ViewController {
 public:
  static constexpr double kAlbumSize = 215.0;
  static constexpr const char* kNoDescriptionText = "暂无节目详情";

  explicit ChannelDetailInfoViewController(api::ProgramModelPtr program) : pmodel_(std::move(program)) {}

  void viewDidLoad() override;
  // The close button.
  void dismiss();
  // The DJ area: the DJ's home page, in a navigation controller, presented over the sheet.
  void djNameClick();

  const api::ProgramModelPtr& pmodel() const { return pmodel_; }
  double albumSize() const { return albumSize_; }
  const std::shared_ptr<ui::ScrollView>& bgScrollview() const { return bgScrollview_; }
  const std::shared_ptr<ui::Button>& closeButton() const { return closeButton_; }
  const std::shared_ptr<ui::View>& djArea() const { return djArea_; }
  const std::shared_ptr<ui::Label>& descriptionView() const { return descriptionView_; }
  const std::shared_ptr<framework::QRVImageView>& coverView() const { return coverView_; }

 private:
  void addTitleAndCover(ui::View& page, double screenWidth);
  void addDjArea(ui::View& page);
  void addCounts(ui::View& area);
  void addDescription(ui::View& page);
  std::shared_ptr<ui::View> tappable(const ui::Rect& frame);

  api::ProgramModelPtr pmodel_;
  std::shared_ptr<ui::ScrollView> bgScrollview_;
  double albumSize_ = kAlbumSize;
  std::shared_ptr<ui::Button> closeButton_;
  std::shared_ptr<framework::QRVImageView> coverView_;
  std::shared_ptr<ui::View> djArea_;
  std::shared_ptr<ui::Label> descriptionView_;
};

}  // namespace playback
