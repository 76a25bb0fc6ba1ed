#include "platform/foundation/DateFormatter.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateParser.h"

namespace foundation {
namespace {

using Width = Locale::Width;

std::string padded(long long value, int width) {
  std::string digits = std::to_string(std::llabs(value));
  if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
  return value < 0 ? "-" + digits : digits;
}

Width nameWidth(int count) {
  if (count == 4) return Width::Wide;
  if (count == 5) return Width::Narrow;
  return Width::Abbreviated;
}

enum class OffsetStyle { Basic, Extended, LongGmt, ShortGmt };

// "+0800", "+08:00", "GMT+08:00", "GMT+8" (and "GMT+5:30").
std::string offsetText(int seconds, OffsetStyle style) {
  if (seconds == 0 && (style == OffsetStyle::LongGmt || style == OffsetStyle::ShortGmt)) return "GMT";
  char sign = seconds < 0 ? '-' : '+';
  int minutes = std::abs(seconds) / 60;
  int hours = minutes / 60;
  minutes %= 60;
  switch (style) {
    case OffsetStyle::Basic:
      return sign + padded(hours, 2) + padded(minutes, 2);
    case OffsetStyle::Extended:
      return sign + padded(hours, 2) + ":" + padded(minutes, 2);
    case OffsetStyle::LongGmt:
      return "GMT" + std::string(1, sign) + padded(hours, 2) + ":" + padded(minutes, 2);
    case OffsetStyle::ShortGmt:
      return "GMT" + std::string(1, sign) + std::to_string(hours) + (minutes ? ":" + padded(minutes, 2) : "");
  }
  return "";
}

bool isLetters(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
}

struct Moment {
  DateComponents components;
  int offset;
  std::string abbreviation;
};

std::string formatField(const DatePatternPiece& piece, const Moment& moment, const Locale& locale) {
  const DateComponents& c = moment.components;
  int count = piece.count;
  switch (piece.letter) {
    case 'G':
      return std::string(locale.eraName(c.year > 0));
    case 'y': {
      long long eraYear = c.year > 0 ? c.year : 1 - static_cast<long long>(c.year);
      return count == 2 ? padded(eraYear % 100, 2) : padded(eraYear, count);
    }
    case 'M':
    case 'L':
      if (count <= 2) return padded(c.month, count);
      return std::string(locale.monthNames(nameWidth(count))[static_cast<std::size_t>(c.month - 1)]);
    case 'd':
      return padded(c.day, count);
    case 'D':
      return padded(c.dayOfYear, count);
    case 'c':
    case 'e':
      if (count <= 2) return padded(c.weekday, count);
      [[fallthrough]];
    case 'E':
      return std::string(locale.weekdayNames(nameWidth(count))[static_cast<std::size_t>(c.weekday - 1)]);
    case 'a':
      return std::string(c.hour < 12 ? locale.amSymbol() : locale.pmSymbol());
    case 'H':
      return padded(c.hour, count);
    case 'k':
      return padded(c.hour == 0 ? 24 : c.hour, count);
    case 'h':
      return padded(c.hour % 12 == 0 ? 12 : c.hour % 12, count);
    case 'K':
      return padded(c.hour % 12, count);
    case 'm':
      return padded(c.minute, count);
    case 's':
      return padded(c.second, count);
    case 'S': {
      std::string fraction = padded(c.nanosecond, 9);
      fraction.resize(static_cast<std::size_t>(count), '0');
      return fraction;
    }
    case 'z':
      if (count == 4) return offsetText(moment.offset, OffsetStyle::LongGmt);
      return isLetters(moment.abbreviation) ? moment.abbreviation : offsetText(moment.offset, OffsetStyle::ShortGmt);
    case 'Z':
      if (count == 4) return offsetText(moment.offset, OffsetStyle::LongGmt);
      if (count == 5) return moment.offset == 0 ? "Z" : offsetText(moment.offset, OffsetStyle::Extended);
      return offsetText(moment.offset, OffsetStyle::Basic);
    default:
      return std::string(static_cast<std::size_t>(count), piece.letter);
  }
}

}  // namespace

DateFormatter::DateFormatter(std::string_view pattern)
    : DateFormatter(pattern, Locale::current(), TimeZone::current()) {}

DateFormatter::DateFormatter(std::string_view pattern, Locale locale, TimeZone timeZone)
    : locale_(std::move(locale)), timeZone_(std::move(timeZone)) {
  setDateFormat(pattern);
}

void DateFormatter::setDateFormat(std::string_view pattern) {
  pattern_ = std::string(pattern);
  pieces_ = parseDatePattern(pattern);
}

std::optional<Date> DateFormatter::dateFromString(std::string_view text) const {
  return DateParser(pieces_, locale_, timeZone_).parse(text);
}

std::string DateFormatter::stringFromDate(Date date) const {
  Moment moment{Calendar(timeZone_).components(date), timeZone_.secondsFromGMT(date), timeZone_.abbreviation(date)};
  std::string text;
  for (const DatePatternPiece& piece : pieces_) {
    text += piece.isField() ? formatField(piece, moment, locale_) : piece.literal;
  }
  return text;
}

}  // namespace foundation
