#include "platform/foundation/DateFormatter.h"

#include <unicode/gregocal.h>
#include <unicode/smpdtfmt.h>

#include <mutex>

#include "platform/foundation/Calendar.h"
#include "platform/foundation/TimeZoneRules.h"

namespace foundation {
namespace {

constexpr double kMillis = 1000;
constexpr int kTwoDigitYearsBack = 80;

icu::UnicodeString unicode(std::string_view text) {
  return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
}

}  // namespace

// ICU's formatter keeps a calendar it changes while it works, so one call at a time uses it.
struct DateFormatter::Engine {
  std::mutex mutex;
  std::unique_ptr<icu::SimpleDateFormat> format;  // nullptr when ICU refused the pattern
};

DateFormatter::DateFormatter(std::string_view pattern)
    : DateFormatter(pattern, Locale::current(), TimeZone::current()) {}

DateFormatter::DateFormatter(std::string_view pattern, Locale locale, TimeZone timeZone)
    : pattern_(pattern), locale_(std::move(locale)), timeZone_(std::move(timeZone)) {
  rebuild();
}

void DateFormatter::setDateFormat(std::string_view pattern) {
  pattern_ = std::string(pattern);
  rebuild();
}

void DateFormatter::setLocale(Locale locale) {
  locale_ = std::move(locale);
  rebuild();
}

void DateFormatter::setTimeZone(TimeZone timeZone) {
  timeZone_ = std::move(timeZone);
  rebuild();
}

void DateFormatter::rebuild() {
  engine_ = std::make_shared<Engine>();
  UErrorCode status = U_ZERO_ERROR;
  auto format =
      std::make_unique<icu::SimpleDateFormat>(unicode(pattern_), icu::Locale(locale_.identifier().c_str()), status);
  if (U_FAILURE(status)) return;
  auto calendar = timeZone_.rules().makeCalendar();
  // ICU would take the century of two-digit years from the system clock; ours is the process clock.
  auto centuryStart = timeZone_.rules().makeCalendar();
  centuryStart->setTime(TimeZone::Rules::millisOf(currentDate()), status);
  centuryStart->add(UCAL_YEAR, -kTwoDigitYearsBack, status);
  double centuryStartMillis = centuryStart->getTime(status);
  format->adoptCalendar(calendar.release());
  format->setLenient(false);
  format->set2DigitYearStart(centuryStartMillis, status);
  if (U_SUCCESS(status)) engine_->format = std::move(format);
}

std::string DateFormatter::stringFromDate(Date date) const {
  std::lock_guard lock(engine_->mutex);
  if (!engine_->format) return "";
  icu::UnicodeString text;
  UErrorCode status = U_ZERO_ERROR;
  engine_->format->format(TimeZone::Rules::millisOf(date), text, nullptr, status);
  std::string result;
  if (U_SUCCESS(status)) text.toUTF8String(result);
  return result;
}

std::optional<Date> DateFormatter::dateFromString(std::string_view text) const {
  std::lock_guard lock(engine_->mutex);
  if (!engine_->format) return std::nullopt;
  icu::UnicodeString unicodeText = unicode(text);
  std::unique_ptr<icu::Calendar> calendar(engine_->format->getCalendar()->clone());
  calendar->clear();
  icu::ParsePosition position(0);
  engine_->format->parse(unicodeText, *calendar, position);
  if (position.getErrorIndex() >= 0 || position.getIndex() != unicodeText.length()) return std::nullopt;
  UErrorCode status = U_ZERO_ERROR;
  double millis = calendar->getTime(status);
  if (U_FAILURE(status)) return std::nullopt;
  return Date{millis / kMillis};
}

}  // namespace foundation
