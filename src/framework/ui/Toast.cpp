#include "src/framework/ui/Toast.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "platform/foundation/NoDestructor.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Application.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace framework::toast {
namespace {

constexpr double kMargin = 10.0;
constexpr double kMaxWidthFraction = 0.8;
constexpr double kMaxHeightFraction = 0.8;
constexpr double kFontSize = 16.0;
constexpr double kImageSide = 80.0;
constexpr double kCornerRadius = 10.0;
constexpr double kOpacity = 0.8;
constexpr double kShadowOpacity = 0.8;
constexpr double kShadowRadius = 6.0;
constexpr ui::Size kShadowOffset{4.0, 4.0};
constexpr double kActivitySide = 100.0;
constexpr double kTopCenterY = 100.0;
constexpr double kTallScreenHeight = 568.0;
constexpr double kCenterOffsetTall = 140.0;
constexpr double kCenterOffsetOther = 110.0;
constexpr double kBadgeFontSize = 13.0;
constexpr const char* kBadgeBackground = "collectedToastBG.png";
// The icon badge: at least its usual 122 x 58, wider or taller as its title needs.
constexpr ui::Size kIconBadgeSize{122.0, 58.0};
constexpr ui::Rect kIconBadgeIcon{50.0, 6.0, 24.0, 24.0};  // in the usual badge
constexpr double kIconBadgeTextTop = 32.0;
constexpr double kIconBadgeTextSide = 6.0;  // kept clear when a long title is measured

// The key under which a host keeps its activity toast.
const char kActivityToastKey = 0;

foundation::Duration seconds(double s) { return foundation::Duration(s); }

std::string lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The box look shared by text toasts and the activity toast.
void styleBox(ui::View& box) {
  box.setAutoresizingMask(ui::kFlexibleLeftMargin | ui::kFlexibleRightMargin | ui::kFlexibleTopMargin |
                          ui::kFlexibleBottomMargin);
  box.layer().setCornerRadius(kCornerRadius);
  box.layer().setShadowColor(ui::Color::black());
  box.layer().setShadowOpacity(kShadowOpacity);
  box.layer().setShadowRadius(kShadowRadius);
  box.layer().setShadowOffset(kShadowOffset);
  box.setBackgroundColor(ui::Color::black().withAlpha(kOpacity));
}

std::shared_ptr<ui::Label> makeTextLabel(const std::string& text, const ui::Font& font, ui::Size room) {
  auto label = std::make_shared<ui::Label>();
  label->setFont(font);
  label->setTextColor(ui::Color::white());
  label->setBackgroundColor(ui::Color::clear());
  label->setTextAlignment(ui::TextAlignment::Left);
  label->setLineBreakMode(ui::LineBreakMode::WordWrap);
  label->setNumberOfLines(0);
  label->setText(text);
  ui::Size size = ui::sizeOfText(text, font, room, ui::LineBreakMode::WordWrap);
  label->setFrame({0, 0, size.width, size.height});
  return label;
}

std::shared_ptr<ui::Label> makeBadgeLabel(const ui::Rect& frame, const std::string& text) {
  auto label = std::make_shared<ui::Label>(frame);
  label->setBackgroundColor(ui::Color::clear());
  label->setFont(ui::Font::systemFont(kBadgeFontSize));
  label->setTextAlignment(ui::TextAlignment::Center);
  label->setTextColor(ui::Color::white());
  label->setText(text);
  return label;
}

void showCollectedBadge(ui::View& host, long type) {
  showToast(host, getCollectedViewWithType(type), kBadgeDuration, "center");
}

std::function<void(const std::string&)>& showListener() {
  static foundation::NoDestructor<std::function<void(const std::string&)>> listener;
  return *listener;
}

// The texts of the toast's labels in the order they were added (title before message).
std::string textsOf(const ui::View& view) {
  std::string texts;
  if (const auto* label = dynamic_cast<const ui::Label*>(&view); label && !label->text().empty()) texts = label->text();
  for (const auto& child : view.subviews()) {
    const std::string inner = textsOf(*child);
    if (!inner.empty()) texts += (texts.empty() ? "" : " ") + inner;
  }
  return texts;
}

}  // namespace

void makeToast(ui::View& host, const std::optional<std::string>& message) {
  makeToast(host, message, kDefaultDuration, "bottom");
}

void makeToast(ui::View& host, const std::optional<std::string>& message, double duration, const Position& position) {
  showToast(host, viewForMessage(host, message, std::nullopt, nullptr), duration, position);
}

void makeToast(ui::View& host, const std::optional<std::string>& message, double duration, const Position& position,
               const std::optional<std::string>& title) {
  showToast(host, viewForMessage(host, message, title, nullptr), duration, position);
}

void makeToast(ui::View& host, const std::optional<std::string>& message, double duration, const Position& position,
               ui::ImagePtr image) {
  showToast(host, viewForMessage(host, message, std::nullopt, image), duration, position);
}

void makeToast(ui::View& host, const std::optional<std::string>& message, double duration, const Position& position,
               const std::optional<std::string>& title, ui::ImagePtr image) {
  showToast(host, viewForMessage(host, message, title, image), duration, position);
}

void showToast(ui::View& host, std::shared_ptr<ui::View> toast) {
  showToast(host, std::move(toast), kDefaultDuration, "bottom");
}

void showToast(ui::View& host, std::shared_ptr<ui::View> toast, double duration, const Position& position) {
  if (!toast) return;
  if (showListener()) showListener()(textsOf(*toast));
  toast->setCenter(centerPointForPosition(host, position, *toast));
  toast->setAlpha(0.0);
  host.addSubview(toast);
  // The host owns its toasts: when it goes away, so do they, and the fades find nothing to do.
  std::weak_ptr<ui::View> weak = toast;
  ui::View::animate(
      seconds(kFadeDuration), seconds(0), {.curve = ui::AnimationCurve::EaseOut}, [&] { toast->setAlpha(1.0); },
      [weak, duration](bool) {
        auto shown = weak.lock();
        if (!shown) return;
        ui::View::animate(
            seconds(kFadeDuration), seconds(duration), {.curve = ui::AnimationCurve::EaseIn},
            [&] { shown->setAlpha(0.0); },
            [weak](bool) {
              if (auto faded = weak.lock()) faded->removeFromSuperview();
            });
      });
}

void makeToastActivity(ui::View& host) { makeToastActivity(host, "center"); }

void makeToastActivity(ui::View& host, const Position& position) {
  if (host.associatedObject(&kActivityToastKey)) return;
  auto box = std::make_shared<ui::View>(ui::Rect{0, 0, kActivitySide, kActivitySide});
  styleBox(*box);
  box->setCenter(centerPointForPosition(host, position, *box));
  auto spinner = std::make_shared<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::WhiteLarge);
  spinner->setCenter({box->bounds().width() / 2, box->bounds().height() / 2});
  box->addSubview(spinner);
  spinner->startAnimating();
  host.setAssociatedObject(&kActivityToastKey, box);
  box->setAlpha(0.0);
  host.addSubview(box);
  ui::View::animate(seconds(kFadeDuration), seconds(0), {.curve = ui::AnimationCurve::EaseOut},
                    [&] { box->setAlpha(1.0); });
}

void hideToastActivity(ui::View& host) {
  auto box = std::static_pointer_cast<ui::View>(host.associatedObject(&kActivityToastKey));
  if (!box) return;
  std::weak_ptr<ui::View> weakBox = box;
  ui::View::animate(
      seconds(kFadeDuration), seconds(0), {.curve = ui::AnimationCurve::EaseIn, .beginFromCurrentState = true},
      [&] { box->setAlpha(0.0); },
      [weakBox](bool) {
        auto faded = weakBox.lock();
        if (!faded) return;  // the host went away, and its activity toast with it
        ui::View* owner = faded->superview();
        faded->removeFromSuperview();
        if (owner && owner->associatedObject(&kActivityToastKey) == faded) {
          owner->setAssociatedObject(&kActivityToastKey, nullptr);
        }
      });
}

ui::Point centerPointForPosition(const ui::View& host, const Position& position, const ui::View& toast) {
  ui::Size size = host.bounds().size;
  double height = toast.frame().height();
  ui::Point bottom{size.width / 2, size.height - height / 2 - kMargin};
  if (position.point()) return *position.point();
  if (!position.name()) return bottom;
  std::string name = lowercase(*position.name());
  if (name == "top") return {size.width / 2, kTopCenterY};
  if (name == "special") return {size.width / 2, host.center().y};
  if (name == "center") {
    bool tall = ui::Screen::main().bounds().height() == kTallScreenHeight;
    return {size.width / 2, size.height / 2 + (tall ? kCenterOffsetTall : kCenterOffsetOther)};
  }
  return bottom;
}

std::shared_ptr<ui::View> viewForMessage(const ui::View& host, const std::optional<std::string>& message,
                                         const std::optional<std::string>& title, const ui::ImagePtr& image) {
  if (!message && !title && !image) return nullptr;
  auto box = std::make_shared<ui::View>();
  styleBox(*box);

  std::shared_ptr<ui::ImageView> imageView;
  double imageWidth = 0, imageHeight = 0, imageLeft = 0;
  if (image) {
    imageView = std::make_shared<ui::ImageView>(ui::Rect{kMargin, kMargin, kImageSide, kImageSide});
    imageView->setContentMode(ui::ContentMode::ScaleAspectFit);
    imageView->setImage(image);
    imageWidth = imageHeight = kImageSide;
    imageLeft = kMargin;
  }
  ui::Size room{host.bounds().width() * kMaxWidthFraction - imageWidth, host.bounds().height() * kMaxHeightFraction};
  std::shared_ptr<ui::Label> titleLabel, messageLabel;
  if (title) titleLabel = makeTextLabel(*title, ui::Font::boldSystemFont(kFontSize), room);
  if (message) messageLabel = makeTextLabel(*message, ui::Font::systemFont(kFontSize), room);

  ui::Size titleSize = titleLabel ? titleLabel->bounds().size : ui::Size{};
  ui::Size messageSize = messageLabel ? messageLabel->bounds().size : ui::Size{};
  double titleLeft = titleLabel ? imageLeft + imageWidth + kMargin : 0;
  double titleTop = titleLabel ? kMargin : 0;
  double messageLeft = messageLabel ? imageLeft + imageWidth + kMargin : 0;
  double messageTop = messageLabel ? titleTop + titleSize.height + kMargin : 0;

  double width = std::max(imageWidth + 2 * kMargin,
                          std::max(titleLeft, messageLeft) + std::max(titleSize.width, messageSize.width) + kMargin);
  // A title without a message still needs its own room below it.
  double textBottom = messageLabel ? messageTop + messageSize.height : titleTop + titleSize.height;
  double height = std::max(textBottom + kMargin, imageHeight + 2 * kMargin);
  box->setFrame({0, 0, width, height});
  if (titleLabel) {
    titleLabel->setFrame({titleLeft, titleTop, titleSize.width, titleSize.height});
    box->addSubview(titleLabel);
  }
  if (messageLabel) {
    messageLabel->setFrame({messageLeft, messageTop, messageSize.width, messageSize.height});
    box->addSubview(messageLabel);
  }
  if (imageView) box->addSubview(imageView);
  return box;
}

void makeToast(ui::View& host, const std::string& title, ui::ImagePtr icon) {
  showToastWithTitle(host, title, std::move(icon));
}

void showToastWithTitle(ui::View& host, const std::string& title, ui::ImagePtr icon) {
  // A title longer than the usual badge widens it, up to the host's width, then wraps.
  const ui::Font font = ui::Font::systemFont(kBadgeFontSize);
  const double widest = std::max(kIconBadgeSize.width, host.bounds().width() - 2 * kMargin);
  const ui::Size text =
      ui::sizeOfText(title, font, {widest - 2 * kIconBadgeTextSide, ui::kNoLimit}, ui::LineBreakMode::WordWrap);
  const double width = std::clamp(text.width + 2 * kIconBadgeTextSide, kIconBadgeSize.width, widest);
  const double oneLine = kIconBadgeSize.height - kIconBadgeTextTop;
  // Measured heights are whole points.
  const double textHeight = std::max(oneLine, text.height + oneLine - std::ceil(font.lineHeight()));

  auto badge = std::make_shared<ui::ImageView>(ui::Rect{0, 0, width, kIconBadgeTextTop + textHeight});
  badge->setImage(ui::Image::named(kBadgeBackground));
  auto iconView = std::make_shared<ui::ImageView>(kIconBadgeIcon.offsetBy((width - kIconBadgeSize.width) / 2, 0));
  iconView->setImage(std::move(icon));
  badge->addSubview(iconView);
  auto label = makeBadgeLabel({0, kIconBadgeTextTop, width, textHeight}, title);
  label->setLineBreakMode(ui::LineBreakMode::WordWrap);
  label->setNumberOfLines(0);
  badge->addSubview(label);
  showToast(host, badge, kBadgeDuration, "special");
}

void showErrorToastForTitle(ui::View& host, const std::string& text) {
  showToastWithTitle(host, text, ui::Image::named("errorToastIcon.png"));
}

std::shared_ptr<ui::View> getCollectedViewWithType(long type) {
  struct Badge {
    const char* icon;
    const char* text;
  };
  static const Badge kBadges[] = {{"programCollectedToastIcon.png", "收藏成功"},
                                  {"songCollectedToastIcon.png", "收藏成功"},
                                  {"programCancelCollectedToastIcon.png", "已取消收藏"},
                                  {"songCancelCollectedToastIcon.png", "已取消收藏"}};
  auto badge = std::make_shared<ui::ImageView>(ui::Rect{0, 0, 102, 58});
  badge->setImage(ui::Image::named(kBadgeBackground));
  bool known = type >= 0 && type < static_cast<long>(std::size(kBadges));
  ui::ImagePtr icon = known ? ui::Image::named(kBadges[type].icon) : nullptr;
  auto iconView = std::make_shared<ui::ImageView>(icon);
  iconView->setCenter({51, 19});
  badge->addSubview(iconView);
  badge->addSubview(makeBadgeLabel({0, 32, 102, 26}, known ? kBadges[type].text : ""));
  return badge;
}

void showProgramIsCollectedToast(ui::View& host) { showCollectedBadge(host, 0); }
void showMusicIsCollectedToast(ui::View& host) { showCollectedBadge(host, 1); }
void showProgramIsCancelCeollectedToast(ui::View& host) { showCollectedBadge(host, 2); }
void showMusicIsCancelCollectedToast(ui::View& host) { showCollectedBadge(host, 3); }

void setShowListener(std::function<void(const std::string& text)> listener) { showListener() = std::move(listener); }

void topViewToast(const std::optional<std::string>& message, double duration, const Position& position) {
  if (ui::Window* window = ui::Application::shared().keyWindow()) makeToast(*window, message, duration, position);
}

}  // namespace framework::toast
