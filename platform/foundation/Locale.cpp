#include "platform/foundation/Locale.h"

#include <unicode/locid.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "platform/foundation/NoDestructor.h"

namespace foundation {
namespace {

std::string normalized(std::string_view identifier) {
  std::string text(identifier.substr(0, identifier.find_first_of(".@")));
  std::replace(text.begin(), text.end(), '-', '_');
  if (text.empty() || text == "C" || text == "POSIX") return "en_US";
  return text;
}

std::mutex& overrideMutex() {
  static std::mutex mutex;
  return mutex;
}

std::optional<Locale>& currentOverride() {
  static NoDestructor<std::optional<Locale>> locale;
  return *locale;
}

}  // namespace

Locale::Locale(std::string_view identifier) : identifier_(normalized(identifier)) {}

Locale Locale::current() {
  {
    std::lock_guard lock(overrideMutex());
    if (currentOverride()) return *currentOverride();
  }
  for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return Locale(value);
  }
  return Locale("en_US");
}

void Locale::setCurrentForTesting(std::optional<Locale> locale) {
  std::lock_guard lock(overrideMutex());
  currentOverride() = std::move(locale);
}

std::string Locale::languageCode() const { return icu::Locale(identifier_.c_str()).getLanguage(); }

std::string Locale::countryCode() const { return icu::Locale(identifier_.c_str()).getCountry(); }

}  // namespace foundation
