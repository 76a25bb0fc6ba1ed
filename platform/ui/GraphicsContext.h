#pragma once

#include <string_view>
#include <vector>

#include "platform/ui/Color.h"
#include "platform/ui/Font.h"
#include "platform/ui/Geometry.h"

struct _cairo;  // the drawing library's context, kept out of this header

namespace ui {

class Image;

// What a view draws into: paths, fills, strokes, pictures and text in points. The renderer
// makes one per drawing; views use it in draw(). Main thread only.
class GraphicsContext {
 public:
  // Main thread. Draws through `cairo`, which the caller keeps alive.
  explicit GraphicsContext(_cairo* cairo);

  // Main thread. Saves and restores the transform, clip and colours.
  void save();
  void restore();

  // Main thread. Transforms what is drawn afterwards.
  void translate(double x, double y);
  void scale(double sx, double sy);
  void rotate(double angle);
  void concat(const AffineTransform& transform);

  // Main thread. Colours and line width for what follows.
  void setFillColor(Color color);
  void setStrokeColor(Color color);
  void setLineWidth(double width);

  // Main thread. Whole shapes in the fill or stroke colour.
  void fillRect(const Rect& rect);
  void strokeRect(const Rect& rect);
  void fillRoundedRect(const Rect& rect, double radius);
  void strokeRoundedRect(const Rect& rect, double radius);
  void fillEllipse(const Rect& rect);
  void strokeEllipse(const Rect& rect);

  // Main thread. A path built piece by piece, then filled, stroked or used as the clip; each of
  // those ends the path.
  void moveTo(Point p);
  void lineTo(Point p);
  // An arc from `startAngle` to `endAngle` (radians, 0 at three o'clock), turning clockwise on
  // screen when `clockwise`. Non-finite angles or radius add nothing.
  void addArc(Point center, double radius, double startAngle, double endAngle, bool clockwise);
  void addRect(const Rect& rect);
  void addRoundedRect(const Rect& rect, double radius);
  void addEllipse(const Rect& rect);
  void closePath();
  void fillPath();
  void strokePath();
  void clipToPath();
  void clipToRect(const Rect& rect);
  // Main thread. Where the path's pen is now.
  Point currentPoint() const;

  // Main thread. The picture scaled to fill `rect`.
  void drawImage(const Image& image, const Rect& rect, double alpha = 1);
  // Main thread. Text broken into lines inside `rect`, from its top.
  void drawText(std::string_view text, const Font& font, Color color, const Rect& rect,
                TextAlignment alignment = TextAlignment::Left, LineBreakMode mode = LineBreakMode::WordWrap,
                int maxLines = 0);

  // Main thread. Multiplies the alpha of every colour, picture and text drawn afterwards; saved
  // and restored with the rest. 1 to begin with.
  double opacity() const { return pens_.opacity; }
  void setOpacity(double opacity) { pens_.opacity = opacity; }

  // Main thread. What is drawn between the two calls is composited at once with `alpha`.
  void beginTransparencyLayer();
  void endTransparencyLayer(double alpha);

  // Main thread. For drawing code inside platform/ui.
  _cairo* native() const { return cairo_; }

 private:
  struct Pens {
    Color fill = Color::black();
    Color stroke = Color::black();
    double opacity = 1;
  };
  void use(Color color);

  _cairo* cairo_;
  Pens pens_;
  std::vector<Pens> saved_;
};

}  // namespace ui
