#include "src/playback/panel/ChannelDetailInfoViewController.h"

#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "src/services/account/HomePageViewController.h"

namespace playback {

namespace {

constexpr ui::Color kPageColour = ui::Color::rgb255(62, 62, 62);
constexpr ui::Color kTitleColour = ui::Color::rgb255(215, 215, 215);
constexpr ui::Color kCaptionColour = ui::Color::rgb255(179, 179, 179);

// No address is made from an empty one: the placeholder stays instead.
std::string styled(const std::optional<std::string>& url, const char* style) {
  return url && !url->empty() ? *url + "!" + style : "";
}

std::shared_ptr<ui::Label> label(const ui::Rect& frame, const std::string& text, const ui::Font& font, ui::Color colour,
                                 ui::TextAlignment alignment) {
  auto view = std::make_shared<ui::Label>(frame);
  view->setText(text);
  view->setFont(font);
  view->setTextColor(colour);
  view->setTextAlignment(alignment);
  view->setBackgroundColor(ui::Color::clear());
  return view;
}

// A picture of the URL shown as a circle.
std::shared_ptr<framework::QRVImageView> roundPicture(const ui::Rect& frame, const std::string& url) {
  auto view = std::make_shared<framework::QRVImageView>(frame);
  view->setDefaultImage(ui::Image::named("user_default_pic.png"));
  view->loadImage(url, ui::Image::named("user_default_pic.png"));
  view->setClipsToBounds(true);
  view->layer().setCornerRadius(frame.width() / 2);
  view->setContentMode(ui::ContentMode::ScaleAspectFill);
  return view;
}

}  // namespace

void ChannelDetailInfoViewController::viewDidLoad() {
  ui::View& root = *view();
  root.setBackgroundColor(kPageColour);
  root.setAlpha(1.0);
  bgScrollview_ = std::make_shared<ui::ScrollView>(root.bounds());
  bgScrollview_->setBounces(true);
  bgScrollview_->setBackgroundColor(ui::Color::clear());
  root.addSubview(bgScrollview_);
  const double width = ui::Screen::main().bounds().width();
  addTitleAndCover(*bgScrollview_, width);

  closeButton_ = std::make_shared<ui::Button>(
      ui::Rect{width / 2 - 11.5, ui::Screen::main().bounds().height() >= 568 ? 525.0 : 437.0, 23, 23});
  closeButton_->setImage(ui::Image::named("x_close_normal.png"));
  closeButton_->setImage(ui::Image::named("x_close_highlight.png"), ui::kStateHighlighted);
  closeButton_->titleLabel().setFont(ui::Font::boldSystemFont(14));
  closeButton_->layer().setCornerRadius(10.0);
  closeButton_->setClipsToBounds(true);
  closeButton_->addAction(ui::kTouchUpInside, [this](ui::Control&) { dismiss(); });
  root.addSubview(closeButton_);

  addDjArea(*bgScrollview_);
  addDescription(*bgScrollview_);
  bgScrollview_->setContentSize({320, descriptionView_->frame().maxY() + 50});
}

void ChannelDetailInfoViewController::addTitleAndCover(ui::View& page, double screenWidth) {
  auto title = label({0, 40, 320, 50}, pmodel_ ? pmodel_->programName().value_or("") : "", ui::Font::systemFont(17),
                     kTitleColour, ui::TextAlignment::Center);
  title->setNumberOfLines(0);
  page.addSubview(title);
  albumSize_ = kAlbumSize;
  coverView_ = roundPicture({screenWidth / 2 - albumSize_ / 2, 100, albumSize_, albumSize_},
                            styled(pmodel_ ? pmodel_->picUrl() : std::nullopt, "large2"));
  page.addSubview(coverView_);
}

std::shared_ptr<ui::View> ChannelDetailInfoViewController::tappable(const ui::Rect& frame) {
  auto view = std::make_shared<ui::View>(frame);
  view->setBackgroundColor(ui::Color::clear());
  view->addGestureRecognizer(
      std::make_shared<ui::TapGestureRecognizer>([this](ui::GestureRecognizer&) { djNameClick(); }));
  return view;
}

void ChannelDetailInfoViewController::addDjArea(ui::View& page) {
  api::UserModelPtr dj = pmodel_ ? pmodel_->user() : nullptr;
  djArea_ = tappable({0, 320, 320, 200});
  page.addSubview(djArea_);
  auto picture = roundPicture({120, 10, 36, 36}, styled(dj ? dj->picUrl() : std::nullopt, "small0"));
  picture->addGestureRecognizer(
      std::make_shared<ui::TapGestureRecognizer>([this](ui::GestureRecognizer&) { djNameClick(); }));
  djArea_->addSubview(picture);
  auto badge = std::make_shared<ui::ImageView>(ui::Rect{165, 20, 11, 11});
  badge->setImage(ui::Image::named("user_dj_white.png"));
  djArea_->addSubview(badge);
  djArea_->addSubview(label({165, 32, 100, 20}, dj ? dj->uname().value_or("") : "", ui::Font::systemFont(10),
                            ui::Color::gray(), ui::TextAlignment::Left));
  addCounts(*djArea_);
}

void ChannelDetailInfoViewController::addCounts(ui::View& area) {
  auto strip = std::make_shared<ui::View>(ui::Rect{0, 65, 320, 50});
  strip->setBackgroundColor(ui::Color::clear());
  const std::string collected = pmodel_ ? pmodel_->subscribeNum().value_or("") : "";
  const std::string played = pmodel_ ? pmodel_->playNum().value_or("") : "";
  strip->addSubview(
      label({0, 0, 140, 30}, collected, ui::Font::systemFont(30), ui::Color::white(), ui::TextAlignment::Right));
  strip->addSubview(
      label({0, 30, 140, 20}, "收藏", ui::Font::systemFont(10), kCaptionColour, ui::TextAlignment::Right));
  strip->addSubview(
      label({160, 0, 140, 30}, played, ui::Font::systemFont(28), ui::Color::white(), ui::TextAlignment::Left));
  strip->addSubview(
      label({160, 30, 140, 20}, "收听", ui::Font::systemFont(10), kCaptionColour, ui::TextAlignment::Left));
  area.addSubview(strip);
}

void ChannelDetailInfoViewController::addDescription(ui::View& page) {
  descriptionView_ =
      label({40, 470, 240, 50}, "", ui::Font::systemFont(14), ui::Color::white(), ui::TextAlignment::Left);
  descriptionView_->setNumberOfLines(0);
  descriptionView_->setLineBreakMode(ui::LineBreakMode::WordWrap);
  descriptionView_->setUserInteractionEnabled(false);
  const std::optional<std::string> description = pmodel_ ? pmodel_->programDesc() : std::nullopt;
  if (description && description->empty()) {
    descriptionView_->setText(kNoDescriptionText);
    descriptionView_->setTextAlignment(ui::TextAlignment::Center);
  } else if (description) {
    descriptionView_->setText(*description);
    const ui::Size fitted = descriptionView_->sizeThatFits({240, ui::kNoLimit});
    descriptionView_->setFrame({40, 470, 240, fitted.height});
  }
  page.addSubview(descriptionView_);
}

void ChannelDetailInfoViewController::dismiss() { dismissViewController(true); }

void ChannelDetailInfoViewController::djNameClick() {
  auto home = std::make_shared<services::HomePageViewController>();
  home->setUser(pmodel_ ? pmodel_->user() : nullptr);
  home->setFromType(services::HomePageViewController::kFromPlayer);
  presentViewController(std::make_shared<ui::NavigationController>(home), true);
}

}  // namespace playback
