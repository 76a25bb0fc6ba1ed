#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/Touch.h"

namespace ui {

class View;

enum class GestureState { Possible, Began, Changed, Ended, Cancelled, Failed };

// Turns touches on its view (and the view's subviews) into a gesture and calls its actions at
// each state change of the gesture: Began, Changed, Ended (a discrete gesture such as a tap goes
// straight to Ended) or Cancelled. A window hands touches to recognisers before the views; once
// one recognises its gesture, the others on the touch fail and the view's touches are cancelled.
// Main thread only.
class GestureRecognizer : public std::enable_shared_from_this<GestureRecognizer> {
 public:
  using Action = std::function<void(GestureRecognizer&)>;

  // Main thread.
  GestureRecognizer() = default;
  explicit GestureRecognizer(Action action) { addAction(std::move(action)); }
  virtual ~GestureRecognizer() = default;

  // Main thread. Actions run in the order added.
  void addAction(Action action) { actions_.push_back(std::move(action)); }
  GestureState state() const { return state_; }
  View* view() const { return view_; }
  bool isEnabled() const { return enabled_; }
  // Main thread. Disabling cancels a gesture in progress.
  void setEnabled(bool enabled);
  bool cancelsTouchesInView() const { return cancelsTouchesInView_; }
  void setCancelsTouchesInView(bool cancels) { cancelsTouchesInView_ = cancels; }
  // Main thread. Where the gesture is (the finger's location) in the view's coordinates.
  Point locationInView(const View* view) const;

  // Main thread. Called by the window with the touch.
  virtual void touchesBegan(const Touch& touch);
  virtual void touchesMoved(const Touch& touch);
  virtual void touchesEnded(const Touch& touch);
  virtual void touchesCancelled(const Touch& touch);
  // Main thread. Called by the window when another recogniser took the touch.
  void fail();
  // Main thread. Back to Possible once the touch has ended.
  virtual void reset();

  // Main thread. Whether the gesture has been recognised (began, changed or ended).
  bool hasRecognized() const {
    return state_ == GestureState::Began || state_ == GestureState::Changed || state_ == GestureState::Ended;
  }

 protected:
  // Main thread. Moves to the state and runs the actions for the states that report.
  void setState(GestureState state);
  const Touch& lastTouch() const { return lastTouch_; }

 private:
  friend class View;
  void setView(View* view) { view_ = view; }

  View* view_ = nullptr;
  std::vector<Action> actions_;
  GestureState state_ = GestureState::Possible;
  bool enabled_ = true;
  bool cancelsTouchesInView_ = true;
  Touch lastTouch_;
};

// Recognised when a finger lifts within 10 points of where it went down.
class TapGestureRecognizer : public GestureRecognizer {
 public:
  using GestureRecognizer::GestureRecognizer;
  // Main thread.
  void touchesBegan(const Touch& touch) override;
  void touchesMoved(const Touch& touch) override;
  void touchesEnded(const Touch& touch) override;

 private:
  Point start_;
};

// Begins when the finger has moved more than 10 points, changes with every move, ends when it lifts.
class PanGestureRecognizer : public GestureRecognizer {
 public:
  using GestureRecognizer::GestureRecognizer;
  // Main thread. How far the finger moved since the gesture began (or since setTranslation), in
  // the view's coordinate scale.
  Point translationInView(const View* view) const;
  void setTranslation(Point translation, const View* view);
  // Main thread. Points per second of the last move.
  Point velocityInView(const View* view) const;

  void touchesBegan(const Touch& touch) override;
  void touchesMoved(const Touch& touch) override;
  void touchesEnded(const Touch& touch) override;

 private:
  Point start_;  // screen location the translation is measured from
  Point translationBase_;
  Point velocity_;
};

// Begins when the finger stays down (within 10 points) for the minimum press duration; changes
// as it moves, ends when it lifts. The duration is timed on the main run loop's clock.
class LongPressGestureRecognizer : public GestureRecognizer {
 public:
  using GestureRecognizer::GestureRecognizer;
  ~LongPressGestureRecognizer() override;
  // Main thread.
  foundation::Duration minimumPressDuration() const { return minimumPressDuration_; }
  void setMinimumPressDuration(foundation::Duration duration) { minimumPressDuration_ = duration; }

  void touchesBegan(const Touch& touch) override;
  void touchesMoved(const Touch& touch) override;
  void touchesEnded(const Touch& touch) override;
  void touchesCancelled(const Touch& touch) override;
  void reset() override;

 private:
  void stopTimer();
  foundation::Duration minimumPressDuration_{0.5};
  Point start_;
  std::shared_ptr<foundation::Timer> timer_;  // the pending press timer
};

}  // namespace ui
