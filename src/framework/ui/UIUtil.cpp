#include "src/framework/ui/UIUtil.h"

#include <cmath>
#include <utility>

#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/Url.h"
#include "platform/ui/Application.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "src/framework/categories/DateAdditions.h"
#include "src/framework/categories/LabelAdditions.h"
#include "src/framework/categories/StringAdditions.h"
#include "src/framework/categories/ViewAdditions.h"
#include "src/framework/images/ImageAdditions.h"

namespace framework {
namespace {

constexpr double kHintFontSize = 28;
constexpr int kHintLineWidth = 255;
constexpr ui::Rect kHintBoxFrame{0, 0, 256, 64};
constexpr double kHiddenScale = 0.001;

// The hint box, so that a view of someone else's with the same tag is never taken for it.
class HintBox : public ui::View {
 public:
  HintBox() : ui::View(kHintBoxFrame) {
    setBackgroundColor(ui::Color::clear());
    setTag(UIUtil::kHintBoxTag);
    auto frameImage = std::make_shared<ui::ImageView>(ui::Image::named("alert_frameImg_light.png"));
    frameImage->setFrame(bounds());
    if (!frameImage->image()) {
      // Without the package's frame picture the box still needs a backdrop for its white text.
      frameImage->setBackgroundColor(ui::Color::black().withAlpha(0.7));
      frameImage->layer().setCornerRadius(10);
      frameImage->setClipsToBounds(true);
    }
    addSubview(frameImage);
    label_ = label_additions::labelWithFrame(bounds(), "", ui::Color::white(), ui::Font::systemFont(kHintFontSize),
                                             UIUtil::kHintLabelTag);
    label_->setTextAlignment(ui::TextAlignment::Center);
    addSubview(label_);
  }
  ui::Label& label() { return *label_; }

 private:
  std::shared_ptr<ui::Label> label_;
};

HintBox& hintBoxIn(ui::View& host) {
  for (const auto& subview : host.subviews())
    if (auto* box = dynamic_cast<HintBox*>(subview.get())) return *box;
  auto box = std::make_shared<HintBox>();
  host.addSubview(box);
  return *box;
}

// Halves away from zero, as the platform's rounding does.
double roundPoint(double value) { return std::round(value); }

}  // namespace

void UIUtil::removeSubviews(ui::View& view) { view_additions::removeAllSubviews(view); }

std::string UIUtil::getStringWithDate(foundation::Date date, const std::optional<std::string>& seperator,
                                      bool includeYear) {
  return date_additions::stringWithSeperator(date, seperator, includeYear);
}

std::optional<foundation::Date> UIUtil::getDateWithString(std::string_view text, std::string_view formate) {
  return date_additions::dateWithString(text, formate);
}

std::string UIUtil::getStringWithData(foundation::Date date, std::string_view format) {
  return date_additions::stringWithFormat(date, format);
}

foundation::Date UIUtil::theDateRelativeTodayWithInterval(int days) {
  return date_additions::relativedDateWithInterval(days);
}

foundation::Date UIUtil::theDateRelativeGivenDayWithInterval(int days, foundation::Date date) {
  return date_additions::relativedDateWithInterval(date, days);
}

std::string UIUtil::getWeekdayWithDate(foundation::Date date) { return date_additions::weekday(date); }

void UIUtil::showHint(ui::View* host, ui::Point hintCenter, const std::string& textContent, int timeToDisappear) {
  if (!host) host = ui::Application::shared().keyWindow();
  if (!host) return;
  const int lines =
      string_additions::numberOfLinesWithFont(textContent, ui::Font::systemFont(kHintFontSize), kHintLineWidth);
  HintBox& box = hintBoxIn(*host);
  box.label().setText(textContent);
  box.label().setNumberOfLines(lines);
  view_additions::setOrigin(box.label(),
                            {roundPoint(box.label().frame().minX()), roundPoint(box.label().frame().minY())});
  box.setCenter(hintCenter);

  ui::View::performWithoutAnimation([&] {
    box.setTransform(ui::AffineTransform::scale(kHiddenScale, kHiddenScale));
    box.setAlpha(0);
  });
  std::weak_ptr<ui::View> weakBox = box.weak_from_this();
  ui::View::animate(foundation::Duration(kHintGrowSeconds), foundation::Duration(0), {}, [weakBox] {
    if (auto grown = weakBox.lock()) {
      grown->setTransform(ui::AffineTransform::identity());
      grown->setAlpha(1);
    }
  });
  if (timeToDisappear < 1) return;
  ui::View::animate(foundation::Duration(kHintShrinkSeconds), foundation::Duration(timeToDisappear), {}, [weakBox] {
    if (auto shrunk = weakBox.lock()) {
      shrunk->setTransform(ui::AffineTransform::scale(kHiddenScale, kHiddenScale));
      shrunk->setAlpha(0);
    }
  });
}

std::optional<std::string> UIUtil::urlEncode(std::string_view text, std::string_view stringEncoding) {
  auto bytes = foundation::Text::encode(text, stringEncoding);
  if (!bytes.ok()) return std::nullopt;
  static const foundation::NoDestructor<std::string> kLegal(std::string(foundation::Url::kAlphanumerics) +
                                                            "-_.~#;/?:@&=+$,!'()*");
  std::string escaped = foundation::Url::percentEscape(
      std::string_view(reinterpret_cast<const char*>(bytes.value().data()), bytes.value().size()), *kLegal);
  static const std::pair<char, const char*> kReserved[] = {
      {';', "%3B"}, {'/', "%2F"}, {'?', "%3F"}, {':', "%3A"},  {'@', "%40"}, {'&', "%26"}, {'=', "%3D"}, {'+', "%2B"},
      {'$', "%24"}, {',', "%2C"}, {'!', "%21"}, {'\'', "%27"}, {'(', "%28"}, {')', "%29"}, {'*', "%2A"}};
  std::string result;
  result.reserve(escaped.size());
  for (char c : escaped) {
    const char* replacement = nullptr;
    for (const auto& [reserved, code] : kReserved)
      if (c == reserved) replacement = code;
    if (replacement) {
      result += replacement;
    } else {
      result += c;
    }
  }
  return result;
}

void UIUtil::adjustPositionToPixel(ui::View& view) {
  view.setCenter({roundPoint(view.center().x), roundPoint(view.center().y)});
}

void UIUtil::adjustPositionToPixelByOrigin(ui::View& view) {
  view_additions::setOrigin(view, {roundPoint(view.frame().minX()), roundPoint(view.frame().minY())});
}

bool UIUtil::isHighResolutionDevice() {
  return ui::Screen::main().systemVersionNumber() >= 4.0 && ui::Screen::main().scale() > 1.0;
}

std::string UIUtil::imageName(const std::string& name) { return isHighResolutionDevice() ? name : name + ".png"; }

void UIUtil::setRoundCornerForView(ui::View& view, double radius) {
  view.layer().setCornerRadius(radius);
  view.setNeedsDisplay();
}

void UIUtil::setBorderForView(ui::View& view, double width, ui::Color color) {
  view.layer().setBorderWidth(width);
  view.layer().setBorderColor(color);
  view.setNeedsDisplay();
}

int UIUtil::getImageTypeWithSize(ui::Size size) {
  if (size.width > size.height) return 1;
  if (size.width < size.height) return 0;
  return 2;
}

ui::Size UIUtil::getFillInImageSize(ui::Size imageSize, ui::Size frameSize) {
  const double w1 = imageSize.width, h1 = imageSize.height, w2 = frameSize.width, h2 = frameSize.height;
  // Without area there are no proportions to keep, and the ratios below would divide by zero.
  if (!(w1 > 0 && h1 > 0 && w2 > 0 && h2 > 0)) return {0, 0};
  const ui::Size fitWidth{w2, h1 / w1 * w2};
  const ui::Size fitHeight{w1 / h1 * h2, h2};
  switch (getImageTypeWithSize(imageSize)) {
    case 1:
      return w2 > h2 && w2 / h2 > w1 / h1 ? fitHeight : fitWidth;
    case 0:
      return h2 > w2 && h2 / w2 > h1 / w1 ? fitWidth : fitHeight;
    default:
      return w2 > h2 ? fitHeight : fitWidth;
  }
}

ui::ImagePtr UIUtil::getImage(const ui::Image& image, float width, float height) {
  return image_additions::imageScaleToFillInSize(image, {width, height});
}

void UIUtil::showHorizontalAnimation(ui::View& view, double endX) {
  std::weak_ptr<ui::View> weakView = view.weak_from_this();
  ui::View::animate(foundation::Duration(kSlideSeconds), foundation::Duration(0), {}, [weakView, endX] {
    if (auto moved = weakView.lock()) view_additions::setLeft(*moved, endX);
  });
}

void UIUtil::showVerticalAnimation(ui::View& view, double endY) {
  std::weak_ptr<ui::View> weakView = view.weak_from_this();
  ui::View::animate(foundation::Duration(kSlideSeconds), foundation::Duration(0), {}, [weakView, endY] {
    if (auto moved = weakView.lock()) view_additions::setTop(*moved, endY);
  });
}

void UIUtil::loadImageViewAnimation(ui::View& view) {
  view.setAlpha(0);
  ui::View::animate(foundation::Duration(0), [&view] { view.setAlpha(1.0); });
}

}  // namespace framework
