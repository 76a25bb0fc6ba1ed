#pragma once

#include "platform/foundation/Result.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/Image.h"

// Scaling, cropping and turning pictures upright.
namespace framework::image_additions {

// How a picture's stored pixels are to be turned to show it upright, in the platform's numbering.
enum class ImageOrientation {
  Up = 0,
  Down = 1,           // turned 180°
  Left = 2,           // stored turned 90° clockwise: shown turned back counter-clockwise
  Right = 3,          // stored turned 90° counter-clockwise: shown turned back clockwise
  UpMirrored = 4,     // flipped left to right
  DownMirrored = 5,   // flipped top to bottom
  LeftMirrored = 6,   // flipped across the diagonal from top left to bottom right
  RightMirrored = 7,  // flipped across the other diagonal
};

inline constexpr const char* kImageAdditionsErrorDomain = "QRVImageAdditionsErrorDomain";
inline constexpr long long kInvalidOrientationError = 1;

// Any thread. The size unchanged when both sides are smaller than the box's; else scaled, keeping
// its proportions, to the largest size inside the box (one side then equals the box's).
ui::Size fitSize(ui::Size size, ui::Size box);
// Any thread. The picture drawn at its fitted size in a new one-pixel-per-point bitmap; nullptr
// when that size has no pixel.
ui::ImagePtr imageFitInSize(const ui::Image& image, ui::Size box);
// Any thread. The picture stretched to exactly the size (one pixel per point); nullptr for an
// empty size.
ui::ImagePtr imageScaleToFillInSize(const ui::Image& image, ui::Size size);
// Main thread (reads the screen's scale). The part of the picture's pixels inside the rectangle,
// given in points and multiplied by the screen's scale when that is above 1; nullptr when the
// rectangle misses the picture.
ui::ImagePtr imageCroppedWithRect(const ui::Image& image, const ui::Rect& rect);
// Any thread. The picture redrawn upright for its orientation; an error "Invalid image
// orientation" for a value outside the eight.
foundation::Result<ui::ImagePtr> imageRotatedToCorrectOrientation(const ui::Image& image, ImageOrientation orientation);

}  // namespace framework::image_additions
