#include "platform/ui/Application.h"

#include <algorithm>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/ApplicationNotifications.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace ui {
namespace {

constexpr double kKeyboardLevel = 10;
constexpr double kKeyboardHeight = 216;

}  // namespace

Application& Application::shared() {
  static Application* application = new Application();  // windows reach it from destructors
  return *application;
}

std::vector<Window*> Application::windows() const {
  std::vector<Window*> sorted = windows_;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const Window* a, const Window* b) { return a->windowLevel() < b->windowLevel(); });
  return sorted;
}

bool Application::openURL(const std::string& url) {
  if (url.empty()) return false;
  openedURLs_.push_back(url);
  return true;
}

void Application::showKeyboard() {
  if (keyboardWindow_) return;
  Rect screen = Screen::main().bounds();
  keyboardWindow_ = std::make_shared<Window>(screen);
  keyboardWindow_->setWindowLevel(kKeyboardLevel);
  Rect keys{0, screen.height() - kKeyboardHeight, screen.width(), kKeyboardHeight};
  foundation::Dictionary frame{
      {"X", keys.minX()}, {"Y", keys.minY()}, {"Width", keys.width()}, {"Height", keys.height()}};
  foundation::NotificationCenter::defaultCenter().postNotificationName(
      kKeyboardWillShowNotification, {}, foundation::Dictionary{{kKeyboardFrameEndUserInfoKey, std::move(frame)}});
  keyboardHost_ = std::make_shared<View>(keys);
  keyboardHost_->setBackgroundColor(Color::rgb255(210, 213, 219));
  keyboardWindow_->addSubview(keyboardHost_);
  keyboardWindow_->visible_ = true;
  windowBecameVisible(*keyboardWindow_);
}

void Application::hideKeyboard() {
  keyboardHost_ = nullptr;
  keyboardWindow_ = nullptr;  // its destructor takes it off the window list
}

View* Application::keyboardHostView() const { return keyboardHost_.get(); }

void Application::resetForTesting() {
  hideKeyboard();
  keyWindow_ = nullptr;
  windows_.clear();
  openedURLs_.clear();
  statusBarOrientation_ = InterfaceOrientation::portrait;
}

void Application::didEnterBackground() {
  foundation::NotificationCenter::defaultCenter().postNotificationName(kApplicationDidEnterBackgroundNotification);
}

void Application::willEnterForeground() {
  foundation::NotificationCenter::defaultCenter().postNotificationName(kApplicationWillEnterForegroundNotification);
}

void Application::didReceiveMemoryWarning() {
  foundation::NotificationCenter::defaultCenter().postNotificationName(kApplicationDidReceiveMemoryWarningNotification);
}

Rect keyboardFrameEnd(const foundation::Dictionary& userInfo) {
  const foundation::Value& f = userInfo[kKeyboardFrameEndUserInfoKey];
  if (!f.isDictionary()) return {};
  return {f["X"].toDouble(), f["Y"].toDouble(), f["Width"].toDouble(), f["Height"].toDouble()};
}

void Application::windowBecameVisible(Window& window) {
  if (std::find(windows_.begin(), windows_.end(), &window) == windows_.end()) windows_.push_back(&window);
}

void Application::setKeyWindow(Window* window) {
  keyWindow_ = window;
  if (window) windowBecameVisible(*window);
}

void Application::windowDestroyed(Window* window) {
  windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
  if (keyWindow_ == window) keyWindow_ = nullptr;
}

}  // namespace ui
