#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// A locale by identifier ("zh_CN", "en_US", "en_US_POSIX") and the calendar names that dates are
// written with in it. Chinese names for language "zh", English names for every other language.
// Immutable; any thread.
class Locale {
 public:
  enum class Width { Wide, Abbreviated, Narrow };

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
  // "CN" of "zh_CN"; "" when the identifier names no country.
  std::string countryCode() const;

  // Month names, January first; weekday names, Sunday first. In these locales a name standing
  // alone ("LLLL", "cccc") is the same as inside a date ("MMMM", "EEEE").
  const std::array<std::string_view, 12>& monthNames(Width width) const;
  const std::array<std::string_view, 7>& weekdayNames(Width width) const;
  std::string_view amSymbol() const;
  std::string_view pmSymbol() const;
  // Era names: before Christ, after Christ.
  std::string_view eraName(bool afterChrist) const;

  friend bool operator==(const Locale& a, const Locale& b) { return a.identifier_ == b.identifier_; }

  struct Names;

 private:
  std::string identifier_;
  const Names* names_;
};

}  // namespace foundation
