#pragma once

#include <memory>
#include <vector>

#include "platform/ui/Touch.h"
#include "platform/ui/View.h"

namespace ui {

class GestureRecognizer;
class ViewController;

// A top-level view covering the screen. One window is the key window; windows are shown back to
// front by level. Touches enter the program through a window: tests inject them here with
// screen coordinates. Made with std::make_shared. Main thread only.
class Window : public View {
 public:
  static constexpr double kLevelNormal = 0;
  static constexpr double kLevelAlert = 2000;

  // Main thread. A window over the whole main screen unless given a frame.
  Window();
  explicit Window(const Rect& frame);
  ~Window() override;

  bool isWindow() const override { return true; }

  // Main thread. Shows the window and makes it the key window.
  void makeKeyAndVisible();
  void makeKeyWindow();
  bool isKeyWindow() const;
  bool isVisible() const { return visible_; }
  double windowLevel() const { return level_; }
  void setWindowLevel(double level) { level_ = level; }

  // Main thread. The controller whose view fills the window.
  const std::shared_ptr<ViewController>& rootViewController() const { return rootViewController_; }
  void setRootViewController(std::shared_ptr<ViewController> controller);

  // Main thread. One finger going down, moving, lifting or being cancelled, in screen points.
  void touchBegan(Point location);
  void touchMoved(Point location);
  void touchEnded(Point location);
  void touchCancelled();
  // Main thread. A finger down and up at the same place.
  void tap(Point location);
  // Main thread. A finger down at `from`, moved in `steps` even steps to `to`, then lifted.
  void drag(Point from, Point to, int steps = 4);

 private:
  friend class Application;
  struct TouchSession;
  void deliverToView(TouchPhase phase);
  void settleRecognizers();
  void endSession();

  bool visible_ = false;
  double level_ = kLevelNormal;
  std::shared_ptr<ViewController> rootViewController_;
  std::unique_ptr<TouchSession> session_;
};

}  // namespace ui
