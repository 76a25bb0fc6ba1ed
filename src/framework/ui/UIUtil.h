#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Value.h"
#include "platform/ui/Image.h"
#include "platform/ui/View.h"

namespace framework {

// Helpers that screens share: date texts, a hint box, URL escapes, pixel alignment, corners and
// borders, picture sizes and short animations. Main thread (they build or animate views, or read
// the screen), except the pure text and size helpers.
class UIUtil {
 public:
  // The tag of the hint box in its host and of the label inside it.
  static constexpr int kHintBoxTag = 101;
  static constexpr int kHintLabelTag = 1;
  static constexpr double kHintGrowSeconds = 1.0;
  static constexpr double kHintShrinkSeconds = 0.5;
  static constexpr int kDefaultHintSeconds = 2;
  static constexpr double kSlideSeconds = 0.3;

  static void removeSubviews(ui::View& view);

  // "yyyy-MM-dd" or "MM-dd" with the separator in place of "-"; no separator means "-".
  static std::string getStringWithDate(foundation::Date date, const std::optional<std::string>& seperator,
                                       bool includeYear = true);
  static std::optional<foundation::Date> getDateWithString(std::string_view text, std::string_view formate);
  static std::string getStringWithData(foundation::Date date, std::string_view format);
  // Now (or the date) plus whole days of 86400 seconds.
  static foundation::Date theDateRelativeTodayWithInterval(int days);
  static foundation::Date theDateRelativeGivenDayWithInterval(int days, foundation::Date date);
  // "星期日" to "星期六".
  static std::string getWeekdayWithDate(foundation::Date date);

  // A box of white text that grows in at `hintCenter` of the host (the key window when none) and
  // shrinks away after `timeToDisappear` seconds (stays when below 1). One box per host, reused.
  static void showHint(ui::View* host, ui::Point hintCenter, const std::string& textContent,
                       int timeToDisappear = kDefaultHintSeconds);

  // The text's bytes in the character set, percent-escaped, with every reserved character
  // escaped too (a+b=c&d gives a%2Bb%3Dc%26d); nullopt when the set cannot hold the text.
  static std::optional<std::string> urlEncode(std::string_view text, std::string_view stringEncoding = "UTF-8");

  // Rounds the view's centre (or its frame's origin) to whole points.
  static void adjustPositionToPixel(ui::View& view);
  static void adjustPositionToPixelByOrigin(ui::View& view);
  static bool isHighResolutionDevice();
  // The name unchanged on a high-resolution screen, else with ".png".
  static std::string imageName(const std::string& name);
  static void setRoundCornerForView(ui::View& view, double radius);
  static void setBorderForView(ui::View& view, double width, ui::Color color);

  // 1 wider than tall, 0 taller than wide, 2 square.
  static int getImageTypeWithSize(ui::Size size);
  // The largest size of the image's proportions inside the frame; zero for an image or frame
  // without area.
  static ui::Size getFillInImageSize(ui::Size imageSize, ui::Size frameSize);
  // Any thread. The image drawn scaled into a new one of that size; nullptr for an empty size.
  static ui::ImagePtr getImage(const ui::Image& image, float width, float height);

  // Slides the view's left (top) edge to the coordinate in 0.3 s.
  static void showHorizontalAnimation(ui::View& view, double endX);
  static void showVerticalAnimation(ui::View& view, double endY);
  // Shows the view at once (alpha 0, then 1 in an animation of no duration).
  static void loadImageViewAnimation(ui::View& view);
};

}  // namespace framework
