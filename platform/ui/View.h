#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/foundation/Clock.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Color.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/Layer.h"

namespace ui {

class GestureRecognizer;
class GraphicsContext;
class Window;
struct Touch;

// Autoresizing mask bits: which margins and sizes stretch when the superview's size changes.
enum AutoresizingMask : unsigned {
  kAutoresizingNone = 0,
  kFlexibleLeftMargin = 1 << 0,
  kFlexibleWidth = 1 << 1,
  kFlexibleRightMargin = 1 << 2,
  kFlexibleTopMargin = 1 << 3,
  kFlexibleHeight = 1 << 4,
  kFlexibleBottomMargin = 1 << 5,
};

// How content (a picture) is placed in a view's bounds.
enum class ContentMode {
  ScaleToFill = 0,
  ScaleAspectFit,
  ScaleAspectFill,
  Redraw,
  Center,
  Top,
  Bottom,
  Left,
  Right,
  TopLeft,
  TopRight,
  BottomLeft,
  BottomRight,
};

// Where content of `contentSize` goes in `box` for the mode.
Rect placeContent(ContentMode mode, Size contentSize, const Rect& box);

// A rectangle on screen with subviews. Made with std::make_shared (animations and gestures keep
// weak references); a superview owns its subviews. Geometry follows the phone: frame in the
// superview's coordinates, bounds in the view's own, centre and transform. Setting frame, centre,
// bounds, alpha, transform or background colour inside View::animate animates it: the value
// changes at once, presentation() shows it moving. Main thread only.
class View : public std::enable_shared_from_this<View> {
 public:
  struct Presentation {
    Point center;
    Rect bounds;
    double alpha = 1;
    AffineTransform transform;
    Color backgroundColor;
  };

  // Main thread.
  explicit View(const Rect& frame = {});
  virtual ~View();
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  // Main thread. Animates the property changes made by `animations`; `completion` runs when they end.
  static void animate(foundation::Duration duration, foundation::Duration delay, AnimationOptions options,
                      const std::function<void()>& animations, AnimationCompletion completion = {});
  static void animate(foundation::Duration duration, const std::function<void()>& animations,
                      AnimationCompletion completion = {});
  // Main thread. Changes made by `changes` take effect without animation.
  static void performWithoutAnimation(const std::function<void()>& changes);

  // Main thread. Geometry.
  Rect frame() const;
  void setFrame(const Rect& frame);
  Rect bounds() const { return bounds_; }
  void setBounds(const Rect& bounds);
  Point center() const { return center_; }
  void setCenter(Point center);
  const AffineTransform& transform() const { return transform_; }
  void setTransform(const AffineTransform& transform);

  // Main thread. Appearance.
  double alpha() const { return alpha_; }
  void setAlpha(double alpha);
  bool isHidden() const { return hidden_; }
  void setHidden(bool hidden) { hidden_ = hidden; }
  Color backgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(Color color);
  bool clipsToBounds() const { return clipsToBounds_; }
  void setClipsToBounds(bool clips) { clipsToBounds_ = clips; }
  ContentMode contentMode() const { return contentMode_; }
  void setContentMode(ContentMode mode);
  bool isOpaque() const { return opaque_; }
  void setOpaque(bool opaque) { opaque_ = opaque; }
  Layer& layer() { return layer_; }
  const Layer& layer() const { return layer_; }
  // Main thread. What is on screen now: the values above as running animations show them.
  Presentation presentation() const;

  // Main thread. Identity and interaction.
  int tag() const { return tag_; }
  void setTag(int tag) { tag_ = tag; }
  bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
  void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
  unsigned autoresizingMask() const { return autoresizingMask_; }
  void setAutoresizingMask(unsigned mask) { autoresizingMask_ = mask; }
  bool autoresizesSubviews() const { return autoresizesSubviews_; }
  void setAutoresizesSubviews(bool resizes) { autoresizesSubviews_ = resizes; }

  // Main thread. The tree. Adding a view that has a superview moves it.
  View* superview() const { return superview_; }
  const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
  void addSubview(std::shared_ptr<View> view);
  void insertSubview(std::shared_ptr<View> view, std::size_t index);
  void insertSubviewBelow(std::shared_ptr<View> view, const View& sibling);
  void insertSubviewAbove(std::shared_ptr<View> view, const View& sibling);
  void removeFromSuperview();
  void bringSubviewToFront(const View& view);
  void sendSubviewToBack(const View& view);
  bool isDescendantOf(const View& view) const;
  // Main thread. This view or the first descendant (depth first, in order) with the tag.
  View* viewWithTag(int tag);
  // Main thread. The window this view is in, or nullptr.
  Window* window() const;
  virtual bool isWindow() const { return false; }

  // Main thread. Layout: layoutSubviews runs from layoutIfNeeded after setNeedsLayout.
  void setNeedsLayout() { needsLayout_ = true; }
  void layoutIfNeeded();
  virtual void layoutSubviews() {}
  virtual Size sizeThatFits(Size size) const;
  void sizeToFit();

  // Main thread. Drawing: the renderer calls draw() with the view's bounds after painting the
  // background; setNeedsDisplay only marks the view for the next rendering.
  virtual void draw(GraphicsContext& context, const Rect& rect);
  // Main thread. What draw() paints now, inside the view's bounds. A faded view whose marks never
  // overlap is painted straight with its alpha instead of through an offscreen layer, so a class
  // that overrides draw() overrides this too.
  enum class DrawnContent { Nothing, OneLayer, Overlapping };
  virtual DrawnContent drawnContent() const { return DrawnContent::Nothing; }
  void setNeedsDisplay() { needsDisplay_ = true; }
  bool needsDisplay() const { return needsDisplay_; }
  void markDisplayed() { needsDisplay_ = false; }

  // Main thread. Coordinates. A null view means screen coordinates.
  Point convertPoint(Point point, const View* toView) const;
  Point convertPointFrom(Point point, const View* fromView) const;
  Rect convertRect(const Rect& rect, const View* toView) const;
  virtual bool pointInside(Point point) const;
  // Main thread. The deepest visible, interactive view under the point (in this view's bounds).
  virtual View* hitTest(Point point);

  // Main thread. Touches reach the hit view first; by default a view passes them to its superview.
  virtual void touchesBegan(const Touch& touch);
  virtual void touchesMoved(const Touch& touch);
  virtual void touchesEnded(const Touch& touch);
  virtual void touchesCancelled(const Touch& touch);
  // Main thread. Whether the view acts on taps itself (controls), so that tap recognisers of the
  // views around it leave its taps alone.
  virtual bool handlesOwnTaps() const { return false; }

  // Main thread. Gesture recognisers attached to this view.
  void addGestureRecognizer(std::shared_ptr<GestureRecognizer> recognizer);
  void removeGestureRecognizer(const GestureRecognizer& recognizer);
  const std::vector<std::shared_ptr<GestureRecognizer>>& gestureRecognizers() const { return gestureRecognizers_; }

  // Main thread. Objects attached by other code under a key of its own.
  void setAssociatedObject(const void* key, std::shared_ptr<void> object);
  std::shared_ptr<void> associatedObject(const void* key) const;

  // Main thread. Called after loading from a nib, on every view of the loaded tree.
  virtual void awakeFromNib() {}

 protected:
  // Main thread. Hooks around changes of the tree.
  virtual void didAddSubview(View& /*subview*/) {}
  virtual void willRemoveSubview(View& /*subview*/) {}
  virtual void didMoveToSuperview() {}
  virtual void didMoveToWindow() {}
  virtual void boundsSizeDidChange(Size /*oldSize*/) {}

 private:
  void attach(std::shared_ptr<View> view, std::size_t index);
  void detachFromSuperview();
  void notifyMovedToWindow();
  void resizeSubviews(Size oldSize);
  void autoresize(Size oldSuperSize, Size newSuperSize);
  Point convertToScreen(Point point) const;
  Point convertFromScreen(Point point) const;

  View* superview_ = nullptr;
  std::vector<std::shared_ptr<View>> subviews_;
  Point center_;
  Rect bounds_;
  AffineTransform transform_;
  double alpha_ = 1;
  bool hidden_ = false;
  Color backgroundColor_ = Color::clear();
  bool clipsToBounds_ = false;
  ContentMode contentMode_ = ContentMode::ScaleToFill;
  bool opaque_ = true;
  int tag_ = 0;
  bool userInteractionEnabled_ = true;
  unsigned autoresizingMask_ = kAutoresizingNone;
  bool autoresizesSubviews_ = true;
  bool needsLayout_ = true;
  bool needsDisplay_ = true;
  Layer layer_;
  std::vector<std::shared_ptr<GestureRecognizer>> gestureRecognizers_;
  std::map<const void*, std::shared_ptr<void>> associatedObjects_;
};

}  // namespace ui
