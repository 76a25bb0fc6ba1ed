#include "platform/ui/Application.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/ApplicationNotifications.h"
#include "tests/platform/ui/UiFixture.h"

namespace {

class ApplicationTest : public uitest::UiFixture {};

TEST_F(ApplicationTest, LifeCycleEventsArePostedUnderTheirNamesAtOnce) {
  auto& center = foundation::NotificationCenter::defaultCenter();
  std::vector<std::string> heard;
  int observer = 0;
  for (const char* name :
       {ui::kApplicationDidEnterBackgroundNotification, ui::kApplicationWillEnterForegroundNotification,
        ui::kApplicationDidReceiveMemoryWarningNotification}) {
    center.addObserver(&observer, name, [&heard](const foundation::Notification& n) { heard.push_back(n.name); });
  }
  auto& application = ui::Application::shared();
  application.didEnterBackground();
  application.willEnterForeground();
  application.didReceiveMemoryWarning();
  center.removeObserver(&observer);
  EXPECT_EQ(heard, (std::vector<std::string>{ui::kApplicationDidEnterBackgroundNotification,
                                             ui::kApplicationWillEnterForegroundNotification,
                                             ui::kApplicationDidReceiveMemoryWarningNotification}));
}

TEST_F(ApplicationTest, TheStatusBarIsUprightUntilTurned) {
  auto& application = ui::Application::shared();
  EXPECT_EQ(application.statusBarOrientation(), ui::InterfaceOrientation::portrait);
  application.setStatusBarOrientation(ui::InterfaceOrientation::landscapeRight);
  EXPECT_EQ(application.statusBarOrientation(), ui::InterfaceOrientation::landscapeRight);
  application.resetForTesting();
  EXPECT_EQ(application.statusBarOrientation(), ui::InterfaceOrientation::portrait);
}

}  // namespace
