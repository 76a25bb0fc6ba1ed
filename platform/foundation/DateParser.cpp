#include "platform/foundation/DateParser.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <string>

#include "platform/foundation/Calendar.h"

namespace foundation {
namespace {

using Width = Locale::Width;

constexpr int kMaxDigits = 9;  // keeps every number inside an int

// What the text said, field by field.
struct Fields {
  std::optional<int> year;
  bool twoDigitYear = false;
  bool beforeChrist = false;
  int month = 1;
  int day = 1;
  std::optional<int> dayOfYear;
  char hourLetter = 0;
  int hour = 0;
  std::optional<bool> afternoon;
  int minute = 0;
  int second = 0;
  int nanosecond = 0;
  std::optional<int> offset;
  std::string zoneAbbreviation;
};

bool isSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (prefix.empty() || text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (lower(text[i]) != lower(prefix[i])) return false;
  }
  return true;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && startsWithIgnoringCase(a, b);
}

// Reads digits: exactly `exact` of them when given, else one to kMaxDigits.
std::optional<int> readNumber(std::string_view& text, int exact, int* digitsRead = nullptr) {
  int limit = exact > 0 ? exact : kMaxDigits;
  int value = 0;
  int digits = 0;
  while (digits < limit && digits < static_cast<int>(text.size()) &&
         std::isdigit(static_cast<unsigned char>(text[static_cast<std::size_t>(digits)]))) {
    value = value * 10 + (text[static_cast<std::size_t>(digits)] - '0');
    ++digits;
  }
  if (digits == 0 || (exact > 0 && digits != exact)) return std::nullopt;
  text.remove_prefix(static_cast<std::size_t>(digits));
  if (digitsRead) *digitsRead = digits;
  return value;
}

// The index of the longest name at the start of the text.
template <std::size_t N>
std::optional<int> readName(std::string_view& text, const std::array<std::string_view, N>& wide,
                            const std::array<std::string_view, N>& abbreviated) {
  std::optional<int> best;
  std::size_t bestLength = 0;
  for (const auto* names : {&wide, &abbreviated}) {
    for (std::size_t i = 0; i < N; ++i) {
      std::string_view name = (*names)[i];
      if (name.size() > bestLength && startsWithIgnoringCase(text, name)) {
        best = static_cast<int>(i);
        bestLength = name.size();
      }
    }
  }
  text.remove_prefix(bestLength);
  return best;
}

// "+0800", "+08:00", "+8" after the sign; seconds east.
std::optional<int> readSignedOffset(std::string_view& text) {
  if (text.empty() || (text.front() != '+' && text.front() != '-')) return std::nullopt;
  int sign = text.front() == '-' ? -1 : 1;
  text.remove_prefix(1);
  int digits = 0;
  std::string_view probe = text;
  auto first = readNumber(probe, 0, &digits);
  if (!first || digits > 4) return std::nullopt;
  int hours = *first;
  int minutes = 0;
  if (digits > 2) {
    hours = *first / 100;
    minutes = *first % 100;
  } else if (!probe.empty() && probe.front() == ':') {
    probe.remove_prefix(1);
    auto parsedMinutes = readNumber(probe, 2);
    if (!parsedMinutes) return std::nullopt;
    minutes = *parsedMinutes;
  }
  if (hours > 23 || minutes > 59) return std::nullopt;
  text = probe;
  return sign * (hours * 3600 + minutes * 60);
}

bool readZone(std::string_view& text, Fields& fields) {
  for (std::string_view universal : {"GMT", "UTC", "UT"}) {
    if (startsWithIgnoringCase(text, universal)) {
      text.remove_prefix(universal.size());
      fields.offset = readSignedOffset(text).value_or(0);
      return true;
    }
  }
  if (!text.empty() && text.front() == 'Z') {
    text.remove_prefix(1);
    fields.offset = 0;
    return true;
  }
  if (auto offset = readSignedOffset(text)) {
    fields.offset = offset;
    return true;
  }
  std::size_t length = 0;
  while (length < text.size() && std::isalpha(static_cast<unsigned char>(text[length]))) ++length;
  if (length < 3) return false;
  fields.zoneAbbreviation = std::string(text.substr(0, length));
  text.remove_prefix(length);
  return true;
}

bool readLiteral(std::string_view& text, std::string_view literal) {
  for (std::size_t i = 0; i < literal.size(); ++i) {
    if (isSpace(literal[i])) {
      // A run of white space in the pattern matches any run of white space.
      while (i + 1 < literal.size() && isSpace(literal[i + 1])) ++i;
      if (text.empty() || !isSpace(text.front())) return false;
      while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    } else {
      if (text.empty() || text.front() != literal[i]) return false;
      text.remove_prefix(1);
    }
  }
  return true;
}

bool readField(std::string_view& text, const DatePatternPiece& piece, int exactDigits, const Locale& locale,
               Fields& fields) {
  auto store = [](std::optional<int> value, int& into) {
    if (value) into = *value;
    return value.has_value();
  };
  switch (piece.letter) {
    case 'G':
      // "公元前" begins with "公元": the era before Christ is tried first.
      for (bool afterChrist : {false, true}) {
        std::string_view name = locale.eraName(afterChrist);
        if (startsWithIgnoringCase(text, name)) {
          text.remove_prefix(name.size());
          fields.beforeChrist = !afterChrist;
          return true;
        }
      }
      return false;
    case 'y': {
      int digits = 0;
      fields.year = readNumber(text, exactDigits, &digits);
      fields.twoDigitYear = piece.count == 2 && digits == 2;
      return fields.year.has_value();
    }
    case 'M':
    case 'L':
      if (piece.count <= 2) return store(readNumber(text, exactDigits), fields.month);
      if (auto index = readName(text, locale.monthNames(Width::Wide), locale.monthNames(Width::Abbreviated))) {
        fields.month = *index + 1;
        return true;
      }
      return false;
    case 'd':
      return store(readNumber(text, exactDigits), fields.day);
    case 'D': {
      int day = 0;
      if (!store(readNumber(text, exactDigits), day)) return false;
      fields.dayOfYear = day;
      return true;
    }
    case 'c':
    case 'e':
      if (piece.count <= 2) return readNumber(text, exactDigits).has_value();  // the date decides the weekday
      [[fallthrough]];
    case 'E':
      return readName(text, locale.weekdayNames(Width::Wide), locale.weekdayNames(Width::Abbreviated)).has_value();
    case 'a':
      if (startsWithIgnoringCase(text, locale.amSymbol()) || startsWithIgnoringCase(text, locale.pmSymbol())) {
        fields.afternoon = startsWithIgnoringCase(text, locale.pmSymbol());
        text.remove_prefix((*fields.afternoon ? locale.pmSymbol() : locale.amSymbol()).size());
        return true;
      }
      return false;
    case 'H':
    case 'k':
    case 'h':
    case 'K':
      fields.hourLetter = piece.letter;
      return store(readNumber(text, exactDigits), fields.hour);
    case 'm':
      return store(readNumber(text, exactDigits), fields.minute);
    case 's':
      return store(readNumber(text, exactDigits), fields.second);
    case 'S': {
      int digits = 0;
      auto fraction = readNumber(text, exactDigits, &digits);
      if (!fraction) return false;
      fields.nanosecond = *fraction;
      for (int i = digits; i < 9; ++i) fields.nanosecond *= 10;
      return true;
    }
    case 'z':
    case 'Z':
      return readZone(text, fields);
    default:
      return readLiteral(text, std::string(static_cast<std::size_t>(piece.count), piece.letter));
  }
}

// The hour of the day, or nullopt when the field's value is out of its range.
std::optional<int> hourOfDay(const Fields& fields) {
  int hour = fields.hour;
  bool afternoon = fields.afternoon.value_or(false);
  switch (fields.hourLetter) {
    case 'k':
      if (hour < 1 || hour > 24) return std::nullopt;
      return hour % 24;
    case 'h':
      if (hour < 1 || hour > 12) return std::nullopt;
      return hour % 12 + (afternoon ? 12 : 0);
    case 'K':
      if (hour > 11) return std::nullopt;
      return hour + (afternoon ? 12 : 0);
    default:
      return hour;
  }
}

int fullYear(int twoDigits, const TimeZone& zone) {
  int thisYear = Calendar(zone).components(currentDate()).year;
  int start = thisYear - 80;
  int year = start - ((start % 100) + 100) % 100 + twoDigits;
  return year < start ? year + 100 : year;
}

// Offsets of the zone abbreviations of RFC 822, for dates from other zones.
std::optional<int> rfc822Offset(std::string_view abbreviation) {
  struct Known {
    std::string_view name;
    int hours;
  };
  static constexpr Known kZones[] = {{"EST", -5}, {"EDT", -4}, {"CST", -6}, {"CDT", -5},
                                     {"MST", -7}, {"MDT", -6}, {"PST", -8}, {"PDT", -7}};
  for (const Known& zone : kZones) {
    if (equalsIgnoringCase(abbreviation, zone.name)) return zone.hours * 3600;
  }
  return std::nullopt;
}

std::optional<Date> assemble(const Fields& fields, const TimeZone& zone) {
  DateComponents components;
  int year = fields.year.value_or(1970);
  if (fields.twoDigitYear) year = fullYear(year, zone);
  components.year = fields.beforeChrist ? 1 - year : year;
  components.month = fields.month;
  components.day = fields.day;
  if (fields.dayOfYear) {
    int daysInYear = Calendar::isLeapYear(components.year) ? 366 : 365;
    if (*fields.dayOfYear < 1 || *fields.dayOfYear > daysInYear) return std::nullopt;
    auto civil = Calendar::civilFromDays(Calendar::daysFromCivil(components.year, 1, 1) + *fields.dayOfYear - 1);
    components.month = civil.month;
    components.day = civil.day;
  }
  auto hour = hourOfDay(fields);
  if (!hour) return std::nullopt;
  components.hour = *hour;
  components.minute = fields.minute;
  components.second = fields.second;
  components.nanosecond = fields.nanosecond;

  auto inZone = Calendar(zone).date(components);
  if (!inZone) return std::nullopt;
  std::optional<int> offset = fields.offset;
  if (!offset && !fields.zoneAbbreviation.empty()) {
    // The formatter's own zone first ("CST" in Shanghai is not Chicago's).
    if (equalsIgnoringCase(zone.abbreviation(*inZone), fields.zoneAbbreviation)) return inZone;
    offset = rfc822Offset(fields.zoneAbbreviation);
    if (!offset) return std::nullopt;
  }
  if (!offset) return inZone;
  auto inUtc = Calendar(TimeZone::utc()).date(components);
  if (!inUtc) return std::nullopt;
  return Date{inUtc->secondsSince1970 - *offset};
}

}  // namespace

std::optional<Date> DateParser::parse(std::string_view text) const {
  Fields fields;
  for (std::size_t i = 0; i < pieces_.size(); ++i) {
    const DatePatternPiece& piece = pieces_[i];
    if (!piece.isField()) {
      if (!readLiteral(text, piece.literal)) return std::nullopt;
      continue;
    }
    // Adjacent numeric fields ("yyyyMMdd") can only be told apart by their widths.
    bool nextIsNumeric = i + 1 < pieces_.size() && pieces_[i + 1].isField() && pieces_[i + 1].isNumeric();
    int exactDigits = piece.isNumeric() && nextIsNumeric ? piece.count : 0;
    if (!readField(text, piece, exactDigits, locale_, fields)) return std::nullopt;
  }
  if (!text.empty()) return std::nullopt;
  return assemble(fields, timeZone_);
}

}  // namespace foundation
