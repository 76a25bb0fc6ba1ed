#include "src/framework/categories/ViewAdditions.h"

#include "platform/ui/Application.h"
#include "platform/ui/ScrollView.h"

namespace framework::view_additions {
namespace {

bool isLandscape() {
  ui::InterfaceOrientation orientation = ui::Application::shared().statusBarOrientation();
  return orientation == ui::InterfaceOrientation::landscapeRight ||
         orientation == ui::InterfaceOrientation::landscapeLeft;
}

// Sums one coordinate over the view and its ancestors, optionally less scroll offsets.
double sumOverAncestors(const ui::View* view, bool horizontal, bool lessScrollOffsets) {
  double sum = 0;
  for (const ui::View* current = view; current; current = current->superview()) {
    sum += horizontal ? current->frame().minX() : current->frame().minY();
    if (!lessScrollOffsets) continue;
    if (const auto* scroll = dynamic_cast<const ui::ScrollView*>(current))
      sum -= horizontal ? scroll->contentOffset().x : scroll->contentOffset().y;
  }
  return sum;
}

}  // namespace

double left(const ui::View& view) { return view.frame().minX(); }
void setLeft(ui::View& view, double x) { setOrigin(view, {x, top(view)}); }
double top(const ui::View& view) { return view.frame().minY(); }
void setTop(ui::View& view, double y) { setOrigin(view, {left(view), y}); }
double right(const ui::View& view) { return view.frame().maxX(); }
void setRight(ui::View& view, double right) { setLeft(view, right - width(view)); }
double bottom(const ui::View& view) { return view.frame().maxY(); }
void setBottom(ui::View& view, double bottom) { setTop(view, bottom - height(view)); }
double centerX(const ui::View& view) { return view.center().x; }
void setCenterX(ui::View& view, double x) { view.setCenter({x, view.center().y}); }
double centerY(const ui::View& view) { return view.center().y; }
void setCenterY(ui::View& view, double y) { view.setCenter({view.center().x, y}); }
double width(const ui::View& view) { return view.frame().width(); }
void setWidth(ui::View& view, double width) { setSize(view, {width, height(view)}); }
double height(const ui::View& view) { return view.frame().height(); }
void setHeight(ui::View& view, double height) { setSize(view, {width(view), height}); }
ui::Point origin(const ui::View& view) { return view.frame().origin; }
void setOrigin(ui::View& view, ui::Point origin) { view.setFrame({origin, view.frame().size}); }
ui::Size size(const ui::View& view) { return view.frame().size; }
void setSize(ui::View& view, ui::Size size) { view.setFrame({view.frame().origin, size}); }

double ttScreenX(const ui::View* view) { return sumOverAncestors(view, true, false); }
double ttScreenY(const ui::View* view) { return sumOverAncestors(view, false, false); }
double screenViewX(const ui::View* view) { return sumOverAncestors(view, true, true); }
double screenViewY(const ui::View* view) { return sumOverAncestors(view, false, true); }

ui::Rect screenFrame(const ui::View& view) {
  return {screenViewX(&view), screenViewY(&view), width(view), height(view)};
}

double orientationWidth(const ui::View& view) { return isLandscape() ? height(view) : width(view); }

double orientationHeight(const ui::View& view) { return isLandscape() ? width(view) : height(view); }

void removeAllSubviews(ui::View& view) {
  while (!view.subviews().empty()) {
    std::shared_ptr<ui::View> last = view.subviews().back();  // alive until it has left
    last->removeFromSuperview();
  }
}

ui::Point offsetFromView(const ui::View* view, const ui::View* ancestor) {
  ui::Point offset;
  for (const ui::View* current = view; current && current != ancestor; current = current->superview()) {
    offset.x += current->frame().minX();
    offset.y += current->frame().minY();
  }
  return offset;
}

void addShadow(ui::View& view) {
  ui::Layer& layer = view.layer();
  layer.setShadowOffset({0, 0});
  layer.setShadowColor(ui::Color::rgb255(225, 225, 225));
  layer.setShadowOpacity(1.0);
}

}  // namespace framework::view_additions
