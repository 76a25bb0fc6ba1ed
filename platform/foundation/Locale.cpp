#include "platform/foundation/Locale.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>

namespace foundation {

struct Locale::Names {
  std::array<std::array<std::string_view, 12>, 3> months;  // by Width
  std::array<std::array<std::string_view, 7>, 3> weekdays;
  std::string_view am;
  std::string_view pm;
  std::array<std::string_view, 2> eras;
};

namespace {

constexpr Locale::Names kEnglish{{{{"January", "February", "March", "April", "May", "June", "July", "August",
                                    "September", "October", "November", "December"},
                                   {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
                                   {"J", "F", "M", "A", "M", "J", "J", "A", "S", "O", "N", "D"}}},
                                 {{{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
                                   {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
                                   {"S", "M", "T", "W", "T", "F", "S"}}},
                                 "AM",
                                 "PM",
                                 {"BC", "AD"}};

constexpr Locale::Names kChinese{
    {{{"一月", "二月", "三月", "四月", "五月", "六月", "七月", "八月", "九月", "十月", "十一月", "十二月"},
      {"1月", "2月", "3月", "4月", "5月", "6月", "7月", "8月", "9月", "10月", "11月", "12月"},
      {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}}},
    {{{"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"},
      {"周日", "周一", "周二", "周三", "周四", "周五", "周六"},
      {"日", "一", "二", "三", "四", "五", "六"}}},
    "上午",
    "下午",
    {"公元前", "公元"}};

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
  static std::optional<Locale> locale;
  return locale;
}

}  // namespace

Locale::Locale(std::string_view identifier) : identifier_(normalized(identifier)) {
  names_ = languageCode() == "zh" ? &kChinese : &kEnglish;
}

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

std::string Locale::languageCode() const { return identifier_.substr(0, identifier_.find('_')); }

std::string Locale::countryCode() const {
  std::size_t start = identifier_.find('_');
  if (start == std::string::npos) return "";
  std::string rest = identifier_.substr(start + 1);
  std::string country = rest.substr(0, rest.find('_'));
  // "zh_Hans_CN": a four-letter part is a script, the country follows it.
  if (country.size() == 4 && rest.find('_') != std::string::npos) {
    rest = rest.substr(rest.find('_') + 1);
    country = rest.substr(0, rest.find('_'));
  }
  return country;
}

const std::array<std::string_view, 12>& Locale::monthNames(Width width) const {
  return names_->months[static_cast<std::size_t>(width)];
}

const std::array<std::string_view, 7>& Locale::weekdayNames(Width width) const {
  return names_->weekdays[static_cast<std::size_t>(width)];
}

std::string_view Locale::amSymbol() const { return names_->am; }

std::string_view Locale::pmSymbol() const { return names_->pm; }

std::string_view Locale::eraName(bool afterChrist) const { return names_->eras[afterChrist ? 1 : 0]; }

}  // namespace foundation
