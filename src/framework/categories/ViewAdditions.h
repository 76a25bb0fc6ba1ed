#pragma once

#include "platform/ui/Layer.h"
#include "platform/ui/View.h"

// Frame geometry by edge and the view's place on screen. Values are in the view's frame, in its
// superview's coordinates; each setter keeps the other frame values. Main thread.
namespace framework::view_additions {

double left(const ui::View& view);
void setLeft(ui::View& view, double x);
double top(const ui::View& view);
void setTop(ui::View& view, double y);
// x + width; setting it moves the view so that its right edge is there (width kept).
double right(const ui::View& view);
void setRight(ui::View& view, double right);
// y + height; setting it moves the view (height kept).
double bottom(const ui::View& view);
void setBottom(ui::View& view, double bottom);
double centerX(const ui::View& view);
void setCenterX(ui::View& view, double x);
double centerY(const ui::View& view);
void setCenterY(ui::View& view, double y);
double width(const ui::View& view);
void setWidth(ui::View& view, double width);
double height(const ui::View& view);
void setHeight(ui::View& view, double height);
ui::Point origin(const ui::View& view);
void setOrigin(ui::View& view, ui::Point origin);
ui::Size size(const ui::View& view);
void setSize(ui::View& view, ui::Size size);

// The sum of left (or top) over the view and all its ancestors; 0 for no view.
double ttScreenX(const ui::View* view);
double ttScreenY(const ui::View* view);
// The same, less the content offset of every scroll view on the way (the view itself included).
double screenViewX(const ui::View* view);
double screenViewY(const ui::View* view);
// (screenViewX, screenViewY, width, height).
ui::Rect screenFrame(const ui::View& view);
// Width and height as the user sees them: swapped while the status bar is in a landscape
// orientation.
double orientationWidth(const ui::View& view);
double orientationHeight(const ui::View& view);

// The view if it is a T, else the first T found depth first among its subviews, in order.
template <class T>
T* descendantOrSelfWithClass(ui::View& view) {
  if (auto* match = dynamic_cast<T*>(&view)) return match;
  for (const auto& subview : view.subviews())
    if (T* match = descendantOrSelfWithClass<T>(*subview)) return match;
  return nullptr;
}

// The view if it is a T, else its nearest ancestor that is.
template <class T>
T* ancestorOrSelfWithClass(ui::View& view) {
  for (ui::View* current = &view; current; current = current->superview())
    if (auto* match = dynamic_cast<T*>(current)) return match;
  return nullptr;
}

// Removes the subviews, the last first.
void removeAllSubviews(ui::View& view);
// (sum of left, sum of top) over the view and its ancestors up to, not including, `ancestor`;
// (0, 0) when the view is `ancestor` or missing.
ui::Point offsetFromView(const ui::View* view, const ui::View* ancestor);
// A light grey shadow all round the layer: offset (0, 0), RGB (225, 225, 225), opacity 1.
void addShadow(ui::View& view);

}  // namespace framework::view_additions
