#pragma once

#include "platform/foundation/Clock.h"
#include "platform/ui/Geometry.h"

namespace ui {

class View;
class Window;

enum class TouchPhase { Began, Moved, Ended, Cancelled };

// One finger on the screen, as a window hands it to views and gesture recognisers.
struct Touch {
  TouchPhase phase = TouchPhase::Began;
  Point screenLocation;
  Point previousScreenLocation;
  foundation::TimePoint timestamp;
  Window* window = nullptr;
  View* view = nullptr;  // the view the touch began in

  // Main thread. Where the finger is in the view's coordinates (screen coordinates for nullptr).
  Point locationIn(const View* in) const;
  Point previousLocationIn(const View* in) const;
};

}  // namespace ui
