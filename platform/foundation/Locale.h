#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// A locale by identifier ("zh_CN", "en_US", "en_US_POSIX"). Dates are written with the ICU
// library's data for it. Immutable; any thread.
class Locale {
 public:
  // Any thread. "zh-CN" and "zh_CN.UTF-8" read as "zh_CN".
  explicit Locale(std::string_view identifier);

  // Any thread. The test override, else the locale named by $LC_ALL, $LC_TIME or $LANG (the
  // first that is set), else "en_US" ("C" and "POSIX" also read as "en_US").
  static Locale current();
  // Any thread. Test hook: current() answers this locale until reset with nullopt.
  static void setCurrentForTesting(std::optional<Locale> locale);

  const std::string& identifier() const { return identifier_; }
  // "zh" of "zh_CN"; "en" of "en_US_POSIX".
  std::string languageCode() const;
  // "CN" of "zh_CN" and of "zh_Hans_CN"; "" when the identifier names no country.
  std::string countryCode() const;

  friend bool operator==(const Locale& a, const Locale& b) { return a.identifier_ == b.identifier_; }

 private:
  std::string identifier_;
};

}  // namespace foundation
