#include "app/program/HomeClaim.h"

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/FileLock.h"
#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/Paths.h"

namespace zunoradio {
namespace {

constexpr const char* kClaimFileName = "in-use.lock";

// Never destroyed: what exit's clean-up still writes is written under the claim.
std::vector<foundation::FileLock>& heldClaims() {
  static foundation::NoDestructor<std::vector<foundation::FileLock>> claims;
  return *claims;
}

std::string refusal(const std::string& folder, const std::optional<long>& holder) {
  const std::string process = holder ? "process " + std::to_string(*holder) : "its process id unknown";
  return folder + " is in use by another run of zunoradio (" + process +
         "); to run another at the same time, give it a home of its own, for example "
         "ZUNORADIO_HOME=~/zunoradio-2 zunoradio.";
}

// `folder` names the folder for people: "The home /path".
foundation::Status claim(const std::string& path, const std::string& folder) {
  auto tried =
      foundation::FileLock::tryAcquireNamingHolder(foundation::Paths::appendingPathComponent(path, kClaimFileName));
  if (!tried.ok())
    return foundation::makeError(tried.error()->domain(), tried.error()->code(), tried.error()->description() + ".");
  if (const auto* taken = std::get_if<foundation::FileLock::Taken>(&tried.value()))
    return foundation::makeError(foundation::kPOSIXErrorDomain, EBUSY, refusal(folder, taken->holder));
  heldClaims().push_back(std::get<foundation::FileLock>(std::move(tried).value()));
  return foundation::Status::success();
}

}  // namespace

foundation::Status claimHomeForThisRun() {
  // The home is claimed before the caches folder is asked for: under $ZUNORADIO_HOME that folder
  // is made inside the home.
  const std::string home = foundation::Paths::homeDirectory();
  if (foundation::Status claimed = claim(home, "The home " + home); !claimed.ok()) return claimed;
  const std::string caches = foundation::Paths::cachesDirectory();
  if (caches.starts_with(home + "/")) return foundation::Status::success();
  return claim(caches, "The caches folder " + caches);
}

}  // namespace zunoradio
