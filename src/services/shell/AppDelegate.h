#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/NotificationCenter.h"
#include "platform/media/MotionManager.h"
#include "platform/ui/Window.h"
#include "src/framework/network/Reachability.h"
#include "src/services/shell/MainViewController.h"

namespace services {

// The application delegate: one for the whole run. It keeps the offline-mode flag and the
// latest network status, owns the window with the main pane, remembers the programme a push
// notification launched the application with, and stands for the social-account processor's
// two log-outs. The flags are read from any thread; everything else is main-thread only.
class AppDelegate {
 public:
  // Main thread on first use (it starts observing network changes on the main loop).
  static AppDelegate& sharedDelegate();
  ~AppDelegate();
  AppDelegate(const AppDelegate&) = delete;
  AppDelegate& operator=(const AppDelegate&) = delete;

  // Any thread.
  bool isOffline() const { return offline_.load(); }
  void setIsOffline(bool offline) { offline_.store(offline); }
  // Any thread. The status of the latest network change; 0 before the first.
  framework::NetworkStatus networkStatus() const { return networkStatus_.load(); }

  // Main thread. The key window, made and shown on first use with the main pane as its root.
  const std::shared_ptr<ui::Window>& window();
  // Main thread. The main pane, the window's root.
  std::shared_ptr<MainViewController> getMainController();

  // Main thread. The application's one motion manager, made on first use.
  const std::shared_ptr<media::MotionManager>& sharedMotionManager();

  // Main thread. The programme id of the push payload ("cmd_v") the application was launched
  // with; nullopt otherwise.
  const std::optional<std::string>& initProgramId() const { return initProgramId_; }
  void setInitProgramId(std::optional<std::string> programId) { initProgramId_ = std::move(programId); }

  // Main thread. Signs the two social-network clients out. The clients are not part of this
  // program, so the calls are only counted for whoever needs to know they happened.
  void sinaWeiboLogout() { ++sinaWeiboLogouts_; }
  void tqqLogout() { ++tqqLogouts_; }
  int sinaWeiboLogoutCount() const { return sinaWeiboLogouts_; }
  int tqqLogoutCount() const { return tqqLogouts_; }

  // Main thread. Opens the left side menu of the slide container; the container itself belongs
  // to the shell, so only the request is kept.
  void openLeftSideMenu() { leftSideMenuOpen_ = true; }
  bool isLeftSideMenuOpen() const { return leftSideMenuOpen_; }

  // Test hook: drops the delegate with its window and pane; the next use makes a fresh one.
  static void resetForTesting();

 private:
  AppDelegate();
  void reachabilityChanged(const foundation::Notification& notification);

  std::atomic<bool> offline_{false};
  std::atomic<framework::NetworkStatus> networkStatus_{framework::kNotReachable};
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<MainViewController> mainController_;
  std::shared_ptr<media::MotionManager> motionManager_;
  std::optional<std::string> initProgramId_;
  int sinaWeiboLogouts_ = 0;
  int tqqLogouts_ = 0;
  bool leftSideMenuOpen_ = false;
};

}  // namespace services
