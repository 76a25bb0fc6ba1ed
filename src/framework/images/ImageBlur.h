#pragma once

#include "platform/ui/Image.h"

// Blurred copies of pictures, for the backgrounds behind the player's cover picture.
namespace framework::image_blur {

// The radius of the player's background blur.
inline constexpr double kDefaultBlurRadius = 45.0;

// Main thread (reads the system version). `blur(image, 45)`.
ui::ImagePtr blur(const ui::ImagePtr& image);
// Main thread (reads the system version). Before system 6 the box blur with `radius` as its level
// (so 45 gives a 51-pixel box); else gaussianBlur with `radius`.
ui::ImagePtr blur(const ui::ImagePtr& image, double radius);

// Any thread. A Gaussian blur that reaches `radius` pixels (three standard deviations): three
// box passes each way, which together follow the bell curve closely at a cost that does not
// grow with the radius. Borders repeat outwards. A radius below 1 pixel, not a number, an empty
// picture or a failed allocation give the picture back unchanged.
ui::ImagePtr gaussianBlur(const ui::ImagePtr& image, double radius);

// Any thread. One box pass each way with a box of (level x 100, made odd) pixels: 0 gives 1
// (no change), 0.25 gives 25; a level outside 0 to 1, or not a number, counts as 0.5. Borders
// repeat outwards. The result is opaque (alpha is not carried over). An empty picture or a
// failed allocation give the picture back unchanged.
ui::ImagePtr blurryImage(const ui::ImagePtr& image, double level);
// Any thread. The box size a level gives.
int boxSizeForLevel(double level);

}  // namespace framework::image_blur
