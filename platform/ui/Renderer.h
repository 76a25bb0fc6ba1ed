#pragma once

#include <string>

#include "platform/foundation/Result.h"
#include "platform/ui/Color.h"
#include "platform/ui/Image.h"

namespace ui {

class View;

struct RenderOptions {
  double scale = 1;                   // pixels per point
  Color background = Color::white();  // what shows through transparent parts
};

// Main thread. Draws the view and its subviews as they are on screen now (running animations
// included) into a picture the size of the view's bounds; the view's own position is ignored.
// Lays the tree out first.
foundation::Result<ImagePtr> render(View& view, const RenderOptions& options = {});
// Main thread. The same, written to a PNG file.
foundation::Status renderToPNG(View& view, const std::string& path, const RenderOptions& options = {});

}  // namespace ui
