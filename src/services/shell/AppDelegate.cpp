#include "src/services/shell/AppDelegate.h"

#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/NotificationCenter.h"
#include "src/framework/ui/ApplicationWindow.h"

namespace services {
namespace {

std::unique_ptr<AppDelegate>& instance() {
  static foundation::NoDestructor<std::unique_ptr<AppDelegate>> delegate;
  return *delegate;
}

// Framework views that cover the whole window (the alert's dimming) reach it through here.
const framework::ApplicationWindow::Registration kApplicationWindow([] {
  return AppDelegate::sharedDelegate().window();
});

}  // namespace

AppDelegate& AppDelegate::sharedDelegate() {
  std::unique_ptr<AppDelegate>& delegate = instance();
  if (!delegate) delegate.reset(new AppDelegate());
  return *delegate;
}

AppDelegate::AppDelegate() {
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, framework::kReachabilityChangedNotification,
      [this](const foundation::Notification& notification) { reachabilityChanged(notification); });
}

AppDelegate::~AppDelegate() { foundation::NotificationCenter::defaultCenter().removeObserver(this); }

void AppDelegate::resetForTesting() { instance().reset(); }

void AppDelegate::reachabilityChanged(const foundation::Notification& notification) {
  if (auto reachability = notification.object.objectAs<framework::Reachability>())
    networkStatus_.store(reachability->currentReachabilityStatus());
}

const std::shared_ptr<ui::Window>& AppDelegate::window() {
  if (!window_) {
    mainController_ = std::make_shared<MainViewController>();
    window_ = std::make_shared<ui::Window>();
    window_->setRootViewController(mainController_);
    window_->makeKeyAndVisible();
  }
  return window_;
}

const std::shared_ptr<media::MotionManager>& AppDelegate::sharedMotionManager() {
  if (!motionManager_) motionManager_ = media::MotionManager::create();
  return motionManager_;
}

std::shared_ptr<MainViewController> AppDelegate::getMainController() {
  // The pane is always in the window, so that screens can be presented on it.
  (void)window();
  return mainController_;
}

}  // namespace services
