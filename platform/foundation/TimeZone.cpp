#include "platform/foundation/TimeZone.h"

#include <unicode/basictz.h>
#include <unicode/dtrule.h>
#include <unicode/gregocal.h>
#include <unicode/rbtz.h>
#include <unicode/simpletz.h>
#include <unicode/timezone.h>
#include <unicode/tzfmt.h>
#include <unicode/tzrule.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <mutex>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/TimeZoneRules.h"

namespace foundation {
namespace {

constexpr std::size_t kMaxNameLength = 255;
constexpr int kMillis = 1000;
// Within the reach of ICU's calendar, which ends a little beyond ±1.83e14 seconds.
constexpr double kSecondsLimit = 1.8e14;
// The first year a POSIX rule's summer time applies; standard time holds before it.
constexpr std::int32_t kFirstRuleYear = 1;

icu::UnicodeString unicode(std::string_view text) {
  return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
}

std::string utf8(const icu::UnicodeString& text) {
  std::string result;
  text.toUTF8String(result);
  return result;
}

ErrorPtr unknownZone(const std::string& name) {
  return makeError(kTimeZoneErrorDomain, kUnknownTimeZoneError, "Unknown time zone \"" + name + "\"");
}

// Names of ICU's zone data only: custom offsets ("GMT+8") and anything path-like are not.
bool isDatabaseName(const std::string& name) {
  // Database names are ASCII letters, digits and "/_+-"; ICU would overlook what follows a NUL.
  auto isNameCharacter = [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' || c == '_' ||
           c == '+' || c == '-';
  };
  if (name.empty() || name.size() > kMaxNameLength || !std::all_of(name.begin(), name.end(), isNameCharacter)) {
    return false;
  }
  icu::UnicodeString canonical;
  UBool isSystemID = false;
  UErrorCode status = U_ZERO_ERROR;
  icu::TimeZone::getCanonicalID(unicode(name), canonical, isSystemID, status);
  return U_SUCCESS(status) && isSystemID;
}

std::shared_ptr<const TimeZone::Rules> makeRules(std::string name, std::unique_ptr<icu::TimeZone> zone,
                                                 std::optional<PosixTimeZoneRule> rule = std::nullopt) {
  // Every zone ICU makes from its data or from rules is a BasicTimeZone.
  auto* basic = dynamic_cast<icu::BasicTimeZone*>(zone.get());
  if (!basic) return nullptr;
  zone.release();
  return std::make_shared<const TimeZone::Rules>(std::move(name), std::unique_ptr<icu::BasicTimeZone>(basic),
                                                 std::move(rule));
}

icu::DateTimeRule dateTimeRule(const PosixTimeZoneRule::Change& change) {
  int month = change.month - 1;
  int millis = change.secondsIntoDay * kMillis;
  if (change.week == 0) return icu::DateTimeRule(month, change.day, millis, icu::DateTimeRule::WALL_TIME);
  int weekInMonth = change.week == 5 ? -1 : change.week;  // -1: the last of the month
  int weekday = change.day + UCAL_SUNDAY;
  return icu::DateTimeRule(month, weekInMonth, weekday, millis, icu::DateTimeRule::WALL_TIME);
}

std::unique_ptr<icu::TimeZone> zoneFromRule(const std::string& id, const PosixTimeZoneRule& rule) {
  int standard = rule.standardOffsetSeconds * kMillis;
  auto zone = std::make_unique<icu::RuleBasedTimeZone>(
      unicode(id), new icu::InitialTimeZoneRule(unicode(rule.standardName), standard, 0));
  UErrorCode status = U_ZERO_ERROR;
  if (rule.daylight) {
    const PosixTimeZoneRule::Daylight& daylight = *rule.daylight;
    int savings = (daylight.offsetSeconds - rule.standardOffsetSeconds) * kMillis;
    zone->addTransitionRule(
        new icu::AnnualTimeZoneRule(unicode(daylight.name), standard, savings, dateTimeRule(daylight.start),
                                    kFirstRuleYear, icu::AnnualTimeZoneRule::MAX_YEAR),
        status);
    if (U_FAILURE(status)) return nullptr;
    zone->addTransitionRule(
        new icu::AnnualTimeZoneRule(unicode(rule.standardName), standard, 0, dateTimeRule(daylight.end), kFirstRuleYear,
                                    icu::AnnualTimeZoneRule::MAX_YEAR),
        status);
  }
  zone->complete(status);
  if (U_FAILURE(status)) return nullptr;
  return zone;
}

struct ZoneCache {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<const TimeZone::Rules>> byName;
  std::optional<TimeZone> currentOverride;
};

ZoneCache& cache() {
  static NoDestructor<ZoneCache> instance;
  return *instance;
}

std::string trimmed(std::string text) {
  auto isSpace = [](unsigned char c) { return std::isspace(c) != 0; };
  text.erase(std::find_if_not(text.rbegin(), text.rend(), isSpace).base(), text.end());
  text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), isSpace));
  return text;
}

// The zone name inside a path into a zone database ("/usr/share/zoneinfo/Asia/Shanghai").
std::optional<std::string> nameInDatabasePath(const std::string& path) {
  constexpr std::string_view kMarker = "zoneinfo/";
  std::size_t at = path.rfind(kMarker);
  if (at == std::string::npos) return std::nullopt;
  return path.substr(at + kMarker.size());
}

std::optional<TimeZone> zoneNamed(const std::string& name) {
  auto zone = TimeZone::named(name);
  return zone ? std::optional<TimeZone>(*zone) : std::nullopt;
}

std::optional<TimeZone> zoneFromEnvironment() {
  const char* variable = std::getenv("TZ");
  if (!variable) return std::nullopt;
  std::string text = variable;
  if (!text.empty() && text.front() == ':') text.erase(0, 1);
  if (text.empty()) return TimeZone::utc();
  if (text.front() == '/') {
    auto name = nameInDatabasePath(text);
    return name ? zoneNamed(*name) : std::nullopt;
  }
  if (auto zone = zoneNamed(text)) return zone;
  if (auto zone = TimeZone::fromPosixRule(text)) return *zone;
  return std::nullopt;
}

std::optional<TimeZone> zoneFromSystemSettings() {
  if (auto configured = FileManager::readTextFile("/etc/timezone")) {
    if (auto zone = zoneNamed(trimmed(*configured))) return zone;
  }
  char target[PATH_MAX];
  ssize_t length = ::readlink("/etc/localtime", target, sizeof target - 1);
  if (length > 0) {
    if (auto name = nameInDatabasePath(std::string(target, static_cast<std::size_t>(length)))) {
      if (auto zone = zoneNamed(*name)) return zone;
    }
  }
  // A copied /etc/localtime: ICU finds the database file with the same content.
  std::unique_ptr<icu::TimeZone> host(icu::TimeZone::detectHostTimeZone());
  icu::UnicodeString id;
  return host ? zoneNamed(utf8(host->getID(id))) : std::nullopt;
}

int offsetSecondsAt(const icu::BasicTimeZone& zone, double millis, bool* isDaylight = nullptr) {
  std::int32_t raw = 0;
  std::int32_t daylight = 0;
  UErrorCode status = U_ZERO_ERROR;
  zone.getOffset(millis, false, raw, daylight, status);
  if (isDaylight) *isDaylight = U_SUCCESS(status) && daylight != 0;
  return U_SUCCESS(status) ? (raw + daylight) / kMillis : 0;
}

}  // namespace

TimeZone::Rules::Rules(std::string zoneName, std::unique_ptr<icu::BasicTimeZone> icuZone,
                       std::optional<PosixTimeZoneRule> rule)
    : name(std::move(zoneName)), zone(std::move(icuZone)), posixRule(std::move(rule)) {
  UErrorCode status = U_ZERO_ERROR;
  auto calendar = std::make_unique<icu::GregorianCalendar>(*zone, icu::Locale::getRoot(), status);
  calendar->setGregorianChange(-std::numeric_limits<double>::max(), status);
  calendar->setRepeatedWallTimeOption(UCAL_WALLTIME_FIRST);
  calendar->setSkippedWallTimeOption(UCAL_WALLTIME_LAST);
  // ICU's calendar data is built into the library; without it nothing here can work.
  if (U_FAILURE(status)) std::abort();
  prototype_ = std::move(calendar);
}

TimeZone::Rules::~Rules() = default;

std::unique_ptr<icu::GregorianCalendar> TimeZone::Rules::makeCalendar() const {
  return std::unique_ptr<icu::GregorianCalendar>(prototype_->clone());
}

double TimeZone::Rules::millisOf(Date date) {
  double seconds = date.secondsSince1970;
  if (std::isnan(seconds)) return 0;
  return std::clamp(seconds, -kSecondsLimit, kSecondsLimit) * kMillis;
}

Result<TimeZone> TimeZone::named(std::string_view ianaName) {
  std::string name(ianaName);
  if (!isDatabaseName(name)) return unknownZone(name);
  {
    std::lock_guard lock(cache().mutex);
    if (auto found = cache().byName.find(name); found != cache().byName.end()) return TimeZone(found->second);
  }
  auto rules = makeRules(name, std::unique_ptr<icu::TimeZone>(icu::TimeZone::createTimeZone(unicode(name))));
  if (!rules) return unknownZone(name);
  std::lock_guard lock(cache().mutex);
  cache().byName.emplace(name, rules);
  return TimeZone(rules);
}

Result<TimeZone> TimeZone::fromPosixRule(std::string_view text) {
  std::string id(text);
  auto rule = PosixTimeZoneRule::parse(text);
  std::shared_ptr<const Rules> rules;
  if (rule) {
    if (auto zone = zoneFromRule(id, *rule)) rules = makeRules(id, std::move(zone), std::move(rule));
  }
  if (!rules) return makeError(kTimeZoneErrorDomain, kCorruptTimeZoneError, "Not a time zone rule: \"" + id + "\"");
  return TimeZone(rules);
}

TimeZone TimeZone::utc() {
  static const NoDestructor<std::shared_ptr<const Rules>> rules(
      makeRules("UTC", std::unique_ptr<icu::TimeZone>(icu::TimeZone::createTimeZone("UTC"))));
  return TimeZone(*rules);
}

TimeZone TimeZone::fixed(int secondsFromGMT) {
  secondsFromGMT = std::clamp(secondsFromGMT, -24 * 3600 + 1, 24 * 3600 - 1);
  int minutes = std::abs(secondsFromGMT) / 60;
  char name[16];
  std::snprintf(name, sizeof name, "GMT%c%02d%02d", secondsFromGMT < 0 ? '-' : '+', minutes / 60, minutes % 60);
  std::string id = secondsFromGMT == 0 ? "GMT" : name;
  return TimeZone(makeRules(id, std::make_unique<icu::SimpleTimeZone>(secondsFromGMT * kMillis, unicode(id))));
}

TimeZone TimeZone::current() {
  {
    std::lock_guard lock(cache().mutex);
    if (cache().currentOverride) return *cache().currentOverride;
  }
  if (auto zone = zoneFromEnvironment()) return *zone;
  if (auto zone = zoneFromSystemSettings()) return *zone;
  return utc();
}

void TimeZone::setCurrentForTesting(std::optional<TimeZone> zone) {
  std::lock_guard lock(cache().mutex);
  cache().currentOverride = std::move(zone);
}

const std::string& TimeZone::name() const { return rules_->name; }

int TimeZone::secondsFromGMT(Date date) const { return offsetSecondsAt(*rules_->zone, Rules::millisOf(date)); }

int TimeZone::secondsFromGMTAt(std::int64_t utcSeconds) const {
  return secondsFromGMT(Date{static_cast<double>(utcSeconds)});
}

bool TimeZone::isDaylightSavingTime(Date date) const {
  bool isDaylight = false;
  offsetSecondsAt(*rules_->zone, Rules::millisOf(date), &isDaylight);
  return isDaylight;
}

std::string TimeZone::abbreviation(Date date) const {
  if (const auto& rule = rules_->posixRule) {
    return rule->daylight && isDaylightSavingTime(date) ? rule->daylight->name : rule->standardName;
  }
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::TimeZoneFormat> format(icu::TimeZoneFormat::createInstance(icu::Locale("en_US_POSIX"), status));
  if (U_FAILURE(status)) return name();
  icu::UnicodeString text;
  format->format(UTZFMT_STYLE_SPECIFIC_SHORT, *rules_->zone, Rules::millisOf(date), text, nullptr);
  return utf8(text);
}

std::int64_t TimeZone::utcSecondsForLocal(std::int64_t localSeconds) const {
  std::int32_t raw = 0;
  std::int32_t daylight = 0;
  UErrorCode status = U_ZERO_ERROR;
  // "Former": a skipped time is read with the offset before the gap, which lands it past the
  // gap; a repeated time takes the first of its two offsets.
  rules_->zone->getOffsetFromLocal(Rules::millisOf(Date{static_cast<double>(localSeconds)}), UCAL_TZ_LOCAL_FORMER,
                                   UCAL_TZ_LOCAL_FORMER, raw, daylight, status);
  return U_SUCCESS(status) ? localSeconds - (raw + daylight) / kMillis : localSeconds;
}

}  // namespace foundation
