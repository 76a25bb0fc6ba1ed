#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Geometry.h"

namespace foundation {
class Dictionary;
}

namespace ui {

class View;
class Window;

// Where the status bar's top is; the landscape values are 3 and 4.
enum class InterfaceOrientation : int { portrait = 1, portraitUpsideDown = 2, landscapeRight = 3, landscapeLeft = 4 };

// The running application as the views see it: its windows and key window, the on-screen
// keyboard, and the addresses it hands to the system to open. Main thread only.
class Application {
 public:
  // Main thread. The one application, kept for the run.
  static Application& shared();

  // Main thread. The key window, or nullptr.
  Window* keyWindow() const { return keyWindow_; }
  // Main thread. The visible windows from back to front (by level, then by when they were shown).
  std::vector<Window*> windows() const;

  // Main thread. Hands an address to the system (a browser, another application); the system
  // here keeps the list of what it was asked to open. False for an empty address.
  bool openURL(const std::string& url);
  const std::vector<std::string>& openedURLs() const { return openedURLs_; }

  // Main thread. The on-screen keyboard: shown in a window of its own above the others, after
  // kKeyboardWillShowNotification is posted. Text fields and tests show and hide it;
  // keyboardHostView() is the view holding the keys, nullptr while hidden.
  void showKeyboard();
  void hideKeyboard();
  View* keyboardHostView() const;

  // Main thread. The status bar's orientation: portrait unless set (tests, a turned device).
  InterfaceOrientation statusBarOrientation() const { return statusBarOrientation_; }
  void setStatusBarOrientation(InterfaceOrientation orientation) { statusBarOrientation_ = orientation; }

  // Main thread. Life-cycle events, posted at once on the default notification centre under the
  // names of ApplicationNotifications.h. The system delivers them here (tests inject them).
  void didEnterBackground();
  void willEnterForeground();
  void didReceiveMemoryWarning();

  // Main thread. Forgets key window, windows, keyboard, opened addresses and orientation (tests only).
  void resetForTesting();

 private:
  friend class Window;
  Application() = default;
  void windowBecameVisible(Window& window);
  void setKeyWindow(Window* window);
  void windowDestroyed(Window* window);

  Window* keyWindow_ = nullptr;
  std::vector<Window*> windows_;
  std::shared_ptr<Window> keyboardWindow_;
  std::shared_ptr<View> keyboardHost_;
  std::vector<std::string> openedURLs_;
  InterfaceOrientation statusBarOrientation_ = InterfaceOrientation::portrait;
};

// Main thread. The keyboard's frame in the user information of kKeyboardWillShowNotification;
// an empty rect when it holds none.
Rect keyboardFrameEnd(const foundation::Dictionary& userInfo);

}  // namespace ui
