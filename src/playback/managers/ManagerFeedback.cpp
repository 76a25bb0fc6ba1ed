#include "src/playback/managers/ManagerFeedback.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Image.h"
#include "src/framework/cache/DataCacheManager.h"
#include "src/framework/ui/Toast.h"
#include "src/services/account/LoginViewController.h"
#include "src/services/shell/AppDelegate.h"

namespace playback::feedback {
namespace {

constexpr double kTopToastSeconds = 3.0;

ui::View& window() { return *services::AppDelegate::sharedDelegate().window(); }

}  // namespace

void iconToast(const std::string& title, const std::string& iconName) {
  framework::toast::makeToast(window(), title, ui::Image::named(iconName));
}

void errorToast(const std::string& title) { framework::toast::showErrorToastForTitle(window(), title); }

void topToast(const std::string& message, const char* position) {
  (void)window();  // the key window, made at launch in the running application
  framework::toast::topViewToast(message, kTopToastSeconds, position);
}

void plainToast(const std::string& message) { framework::toast::makeToast(window(), message); }

void post(const char* name, foundation::Dictionary userInfo) {
  foundation::NotificationCenter::defaultCenter().postNotificationName(name, {}, std::move(userInfo));
}

void loginExpired() {
  auto& cache = framework::DataCacheManager::sharedManager();
  if (cache.hasObjectInCacheByKey(framework::kUserRadioAndProgramCacheKey))
    (void)cache.removeObjectInCacheByKey(framework::kUserRadioAndProgramCacheKey);
  if (cache.hasObjectInCacheByKey(framework::kUserIsLoginCacheKey)) {
    (void)cache.removeObjectInCacheByKey(framework::kUserIsLoginCacheKey);
    post("userLogoutEvent", {});
  }
  services::AppDelegate& app = services::AppDelegate::sharedDelegate();
  app.sinaWeiboLogout();
  app.tqqLogout();
  services::LoginViewController::popupRegistView(*app.getMainController());
}

}  // namespace playback::feedback
