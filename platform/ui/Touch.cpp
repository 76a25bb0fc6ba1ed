#include "platform/ui/Touch.h"

#include "platform/ui/View.h"

namespace ui {

Point Touch::locationIn(const View* in) const {
  return in ? in->convertPointFrom(screenLocation, nullptr) : screenLocation;
}

Point Touch::previousLocationIn(const View* in) const {
  return in ? in->convertPointFrom(previousScreenLocation, nullptr) : previousScreenLocation;
}

}  // namespace ui
