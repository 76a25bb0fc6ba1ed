#pragma once

#include "platform/ui/Geometry.h"
#include "platform/ui/Image.h"

// Two resizing helpers on pictures (one pixel per point).
namespace framework::image_qrv_additions {

// Any thread. A new picture of the size with `image` stretched over all of it; nullptr for an
// empty size.
ui::ImagePtr scaleToSize(ui::Size size, const ui::Image& image);
// Any thread. A new picture of the size covered by the image scaled to fill it (keeping its
// proportions) and centred, the overflow cut off; nullptr for an empty size or picture.
ui::ImagePtr clipImage(const ui::Image& image, ui::Size size);

}  // namespace framework::image_qrv_additions
