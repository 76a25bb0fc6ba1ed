#include "platform/ui/Window.h"

#include <algorithm>

#include "platform/ui/Application.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"

namespace ui {
namespace {

// The recognisers that see a touch on `hit`: those of the view and its ancestors, nearest first.
// Tap recognisers above a control leave the control's taps alone.
std::vector<std::shared_ptr<GestureRecognizer>> recognizersFor(View& hit) {
  std::vector<std::shared_ptr<GestureRecognizer>> found;
  bool aboveControl = false;
  for (View* view = &hit; view; view = view->superview()) {
    for (const auto& recognizer : view->gestureRecognizers()) {
      if (!recognizer->isEnabled()) continue;
      if (aboveControl && dynamic_cast<TapGestureRecognizer*>(recognizer.get())) continue;
      found.push_back(recognizer);
    }
    aboveControl = aboveControl || view->handlesOwnTaps();
  }
  return found;
}

// A recogniser whose gesture is decided, or whose view has gone, gets no more touches.
bool isOver(const GestureRecognizer& recognizer) {
  return !recognizer.view() || recognizer.state() == GestureState::Failed ||
         recognizer.state() == GestureState::Cancelled;
}

}  // namespace

struct Window::TouchSession {
  Touch touch;
  std::weak_ptr<View> view;
  std::vector<std::shared_ptr<GestureRecognizer>> recognizers;
  bool viewStarted = false;
  bool viewCancelled = false;
};

Window::Window() : Window(Screen::main().bounds()) {}

Window::Window(const Rect& frame) : View(frame) {}

Window::~Window() { Application::shared().windowDestroyed(this); }

void Window::makeKeyAndVisible() {
  visible_ = true;
  Application::shared().windowBecameVisible(*this);
  makeKeyWindow();
}

void Window::makeKeyWindow() { Application::shared().setKeyWindow(this); }

bool Window::isKeyWindow() const { return Application::shared().keyWindow() == this; }

void Window::setRootViewController(std::shared_ptr<ViewController> controller) {
  if (rootViewController_ && rootViewController_->isViewLoaded()) rootViewController_->view()->removeFromSuperview();
  rootViewController_ = std::move(controller);
  if (!rootViewController_) return;
  auto view = rootViewController_->view();
  view->setFrame(bounds());
  view->setAutoresizingMask(kFlexibleWidth | kFlexibleHeight);
  addSubview(view);
}

void Window::touchBegan(Point location) {
  if (session_) touchCancelled();
  View* hit = hitTest(convertPointFrom(location, nullptr));
  if (!hit) hit = this;
  session_ = std::make_unique<TouchSession>();
  session_->touch = {TouchPhase::Began, location, location, foundation::Clock::current().now(), this, hit};
  session_->view = hit->weak_from_this();
  session_->recognizers = recognizersFor(*hit);
  for (const auto& recognizer : session_->recognizers) recognizer->touchesBegan(session_->touch);
  settleRecognizers();
  deliverToView(TouchPhase::Began);
}

void Window::touchMoved(Point location) {
  if (!session_) return;
  Touch& touch = session_->touch;
  touch.phase = TouchPhase::Moved;
  touch.previousScreenLocation = touch.screenLocation;
  touch.screenLocation = location;
  touch.timestamp = foundation::Clock::current().now();
  for (const auto& recognizer : std::vector(session_->recognizers)) {
    if (!isOver(*recognizer)) recognizer->touchesMoved(touch);
  }
  settleRecognizers();
  deliverToView(TouchPhase::Moved);
}

void Window::touchEnded(Point location) {
  if (!session_) return;
  Touch& touch = session_->touch;
  touch.phase = TouchPhase::Ended;
  touch.previousScreenLocation = touch.screenLocation;
  touch.screenLocation = location;
  touch.timestamp = foundation::Clock::current().now();
  for (const auto& recognizer : std::vector(session_->recognizers)) {
    if (!isOver(*recognizer)) recognizer->touchesEnded(touch);
  }
  settleRecognizers();
  deliverToView(TouchPhase::Ended);
  endSession();
}

void Window::touchCancelled() {
  if (!session_) return;
  session_->touch.phase = TouchPhase::Cancelled;
  for (const auto& recognizer : std::vector(session_->recognizers)) {
    if (!isOver(*recognizer)) recognizer->touchesCancelled(session_->touch);
  }
  deliverToView(TouchPhase::Cancelled);
  endSession();
}

void Window::tap(Point location) {
  touchBegan(location);
  touchEnded(location);
}

void Window::drag(Point from, Point to, int steps) {
  touchBegan(from);
  steps = std::max(steps, 1);
  for (int i = 1; i <= steps; ++i) {
    double t = static_cast<double>(i) / steps;
    touchMoved({from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t});
  }
  touchEnded(to);
}

void Window::settleRecognizers() {
  if (!session_) return;
  GestureRecognizer* winner = nullptr;
  for (const auto& recognizer : session_->recognizers) {
    if (recognizer->hasRecognized()) {
      winner = recognizer.get();
      break;
    }
  }
  if (!winner) return;
  for (const auto& recognizer : session_->recognizers) {
    if (recognizer.get() != winner) recognizer->fail();
  }
  if (!winner->cancelsTouchesInView() || session_->viewCancelled) return;
  session_->viewCancelled = true;
  if (!session_->viewStarted) return;
  if (auto view = session_->view.lock()) {
    Touch cancelled = session_->touch;
    cancelled.phase = TouchPhase::Cancelled;
    view->touchesCancelled(cancelled);
  }
}

void Window::deliverToView(TouchPhase phase) {
  if (!session_ || session_->viewCancelled) return;
  auto view = session_->view.lock();
  if (!view) return;
  Touch touch = session_->touch;
  switch (phase) {
    case TouchPhase::Began:
      session_->viewStarted = true;
      view->touchesBegan(touch);
      break;
    case TouchPhase::Moved:
      view->touchesMoved(touch);
      break;
    case TouchPhase::Ended:
      view->touchesEnded(touch);
      break;
    case TouchPhase::Cancelled:
      view->touchesCancelled(touch);
      break;
  }
}

void Window::endSession() {
  if (!session_) return;
  auto recognizers = std::move(session_->recognizers);
  session_.reset();
  for (const auto& recognizer : recognizers) recognizer->reset();
}

}  // namespace ui
