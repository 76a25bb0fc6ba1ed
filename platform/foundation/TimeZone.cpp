#include "platform/foundation/TimeZone.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PosixTimeZoneRule.h"

namespace foundation {

struct TimeZone::Rules {
  std::string name;
  std::vector<std::int64_t> transitions;  // ascending, seconds since 1970
  std::vector<std::uint8_t> typeIndices;  // type in force from each transition on
  std::vector<ZoneType> types;            // never empty
  std::optional<PosixTimeZoneRule> footer;

  const ZoneType& typeAt(std::int64_t utcSeconds) const {
    if (transitions.empty() || utcSeconds >= transitions.back()) {
      if (footer) return footer->typeAt(utcSeconds);
      if (transitions.empty()) return types.front();
    }
    if (utcSeconds < transitions.front()) return types.front();
    auto next = std::upper_bound(transitions.begin(), transitions.end(), utcSeconds);
    return types[typeIndices[static_cast<std::size_t>(next - transitions.begin()) - 1]];
  }
};

namespace {

constexpr const char* kDefaultDatabase = "/usr/share/zoneinfo";
constexpr std::size_t kMaxNameLength = 255;
// Moments beyond about ±300 million years are taken at that bound.
constexpr double kSecondsLimit = 1e16;

std::int64_t wholeSeconds(Date date) {
  double seconds = date.secondsSince1970;
  if (std::isnan(seconds)) return 0;
  return static_cast<std::int64_t>(std::floor(std::clamp(seconds, -kSecondsLimit, kSecondsLimit)));
}

ErrorPtr corrupt(const std::string& name, const std::string& why) {
  return makeError(kTimeZoneErrorDomain, kCorruptTimeZoneError, "Cannot read time zone \"" + name + "\": " + why);
}

// Big-endian reads over a bounds-checked cursor.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> data) : data_(data) {}
  bool has(std::size_t count) const { return count <= data_.size() - position_; }
  std::uint64_t read(std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) value = (value << 8) | data_[position_++];
    return value;
  }
  std::int64_t readSigned(std::size_t width) {
    std::uint64_t raw = read(width);
    if (width == 4) return static_cast<std::int32_t>(static_cast<std::uint32_t>(raw));
    return static_cast<std::int64_t>(raw);
  }
  void skip(std::size_t count) { position_ += count; }
  std::span<const std::uint8_t> rest() const { return data_.subspan(position_); }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t position_ = 0;
};

struct Header {
  char version = 0;
  std::size_t isUtcCount, isStdCount, leapCount, transitionCount, typeCount, charCount;

  std::size_t blockSize(std::size_t timeWidth) const {
    return transitionCount * timeWidth + transitionCount + typeCount * 6 + charCount + leapCount * (timeWidth + 4) +
           isStdCount + isUtcCount;
  }
};

std::optional<Header> readHeader(Reader& reader) {
  if (!reader.has(44)) return std::nullopt;
  if (reader.read(4) != 0x545a6966) return std::nullopt;  // "TZif"
  Header header;
  header.version = static_cast<char>(reader.read(1));
  reader.skip(15);
  header.isUtcCount = reader.read(4);
  header.isStdCount = reader.read(4);
  header.leapCount = reader.read(4);
  header.transitionCount = reader.read(4);
  header.typeCount = reader.read(4);
  header.charCount = reader.read(4);
  // Counts far beyond any real zone would only serve to overflow the size arithmetic.
  constexpr std::size_t kLimit = 1 << 20;
  if (header.isUtcCount > kLimit || header.isStdCount > kLimit || header.leapCount > kLimit ||
      header.transitionCount > kLimit || header.typeCount > 256 || header.typeCount == 0 || header.charCount == 0 ||
      header.charCount > kLimit) {
    return std::nullopt;
  }
  return header;
}

Result<TimeZone::Rules> readBlock(const std::string& name, Reader& reader, const Header& header, std::size_t width) {
  if (!reader.has(header.blockSize(width))) return corrupt(name, "truncated");
  TimeZone::Rules rules;
  rules.name = name;
  for (std::size_t i = 0; i < header.transitionCount; ++i) {
    rules.transitions.push_back(reader.readSigned(width));
    if (i > 0 && rules.transitions[i] <= rules.transitions[i - 1]) return corrupt(name, "changes out of order");
  }
  for (std::size_t i = 0; i < header.transitionCount; ++i) {
    rules.typeIndices.push_back(static_cast<std::uint8_t>(reader.read(1)));
    if (rules.typeIndices.back() >= header.typeCount) return corrupt(name, "unknown local time type");
  }
  std::vector<std::size_t> abbreviationIndices;
  for (std::size_t i = 0; i < header.typeCount; ++i) {
    std::int64_t offset = reader.readSigned(4);
    if (offset <= -25 * 3600 || offset >= 26 * 3600) return corrupt(name, "offset out of range");
    bool isDst = reader.read(1) != 0;
    abbreviationIndices.push_back(reader.read(1));
    rules.types.push_back({static_cast<int>(offset), isDst, {}});
  }
  auto characters = reader.rest().first(header.charCount);
  for (std::size_t i = 0; i < header.typeCount; ++i) {
    std::size_t start = abbreviationIndices[i];
    auto end = std::find(characters.begin() + static_cast<std::ptrdiff_t>(std::min(start, characters.size())),
                         characters.end(), 0);
    if (start >= characters.size() || end == characters.end()) return corrupt(name, "bad abbreviation");
    rules.types[i].abbreviation.assign(characters.begin() + static_cast<std::ptrdiff_t>(start), end);
  }
  // Leap-second records and the standard/UT indicators do not change civil time here.
  reader.skip(header.charCount + header.leapCount * (width + 4) + header.isStdCount + header.isUtcCount);
  return rules;
}

Result<TimeZone::Rules> parseZoneFile(const std::string& name, std::span<const std::uint8_t> data) {
  Reader reader(data);
  auto header = readHeader(reader);
  if (!header) return corrupt(name, "not a zone file");
  if (header->version == 0) return readBlock(name, reader, *header, 4);
  if (!reader.has(header->blockSize(4))) return corrupt(name, "truncated");
  reader.skip(header->blockSize(4));
  auto modern = readHeader(reader);
  if (!modern) return corrupt(name, "missing 64-bit section");
  auto rules = readBlock(name, reader, *modern, 8);
  if (!rules) return rules;
  auto footer = reader.rest();
  if (footer.size() >= 2 && footer.front() == '\n') {
    auto close = std::find(footer.begin() + 1, footer.end(), '\n');
    if (close == footer.end()) return corrupt(name, "unterminated rule");
    std::string text(footer.begin() + 1, close);
    if (!text.empty()) {
      rules->footer = PosixTimeZoneRule::parse(text);
      if (!rules->footer) return corrupt(name, "bad rule \"" + text + "\"");
    }
  }
  return rules;
}

bool isSafeZoneName(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameLength) return false;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t slash = name.find('/', start);
    std::string_view component =
        name.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
    if (!FileManager::isSafePathComponent(component)) return false;
    if (slash == std::string_view::npos) break;
    start = slash + 1;
  }
  return true;
}

std::string databaseFolder() {
  const char* folder = std::getenv("TZDIR");
  return folder && folder[0] == '/' ? folder : kDefaultDatabase;
}

std::shared_ptr<const TimeZone::Rules> builtInUtc(std::string name) {
  auto rules = std::make_shared<TimeZone::Rules>();
  rules->name = std::move(name);
  rules->types.push_back({0, false, rules->name == "GMT" ? "GMT" : "UTC"});
  return rules;
}

struct ZoneCache {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<const TimeZone::Rules>> byPath;
  std::optional<TimeZone> currentOverride;
};

ZoneCache& cache() {
  static ZoneCache instance;
  return instance;
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

std::optional<TimeZone> zoneFromFile(const std::string& path) {
  auto data = FileManager::readFile(path);
  if (!data) return std::nullopt;
  auto zone = TimeZone::fromZoneFile(nameInDatabasePath(path).value_or(path), *data);
  return zone ? std::optional<TimeZone>(*zone) : std::nullopt;
}

std::optional<TimeZone> zoneFromEnvironment() {
  const char* variable = std::getenv("TZ");
  if (!variable) return std::nullopt;
  std::string text = variable;
  if (!text.empty() && text.front() == ':') text.erase(0, 1);
  if (text.empty()) return TimeZone::utc();
  if (text.front() == '/') return zoneFromFile(text);
  if (auto zone = TimeZone::named(text)) return *zone;
  if (auto zone = TimeZone::fromPosixRule(text)) return *zone;
  return std::nullopt;
}

std::optional<TimeZone> zoneFromSystemSettings() {
  if (auto configured = FileManager::readTextFile("/etc/timezone")) {
    if (auto zone = TimeZone::named(trimmed(*configured))) return *zone;
  }
  char target[PATH_MAX];
  ssize_t length = ::readlink("/etc/localtime", target, sizeof target - 1);
  if (length > 0) {
    if (auto name = nameInDatabasePath(std::string(target, static_cast<std::size_t>(length)))) {
      if (auto zone = TimeZone::named(*name)) return *zone;
    }
  }
  return zoneFromFile("/etc/localtime");
}

}  // namespace

Result<TimeZone> TimeZone::named(std::string_view ianaName) {
  std::string name(ianaName);
  if (!isSafeZoneName(name)) {
    return makeError(kTimeZoneErrorDomain, kUnknownTimeZoneError, "Unknown time zone \"" + name + "\"");
  }
  std::string path = Paths::appendingPathComponent(databaseFolder(), name);
  {
    std::lock_guard lock(cache().mutex);
    if (auto found = cache().byPath.find(path); found != cache().byPath.end()) return TimeZone(found->second);
  }
  auto data = FileManager::readFile(path);
  std::shared_ptr<const Rules> rules;
  if (data) {
    auto parsed = parseZoneFile(name, *data);
    if (!parsed) return parsed.error();
    rules = std::make_shared<const Rules>(std::move(*parsed));
  } else if (name == "UTC" || name == "GMT") {
    rules = builtInUtc(name);
  } else {
    return makeError(kTimeZoneErrorDomain, kUnknownTimeZoneError, "Unknown time zone \"" + name + "\"", data.error());
  }
  std::lock_guard lock(cache().mutex);
  cache().byPath.emplace(path, rules);
  return TimeZone(rules);
}

Result<TimeZone> TimeZone::fromZoneFile(std::string name, std::span<const std::uint8_t> data) {
  auto parsed = parseZoneFile(name, data);
  if (!parsed) return parsed.error();
  return TimeZone(std::make_shared<const Rules>(std::move(*parsed)));
}

Result<TimeZone> TimeZone::fromPosixRule(std::string_view rule) {
  auto parsed = PosixTimeZoneRule::parse(rule);
  if (!parsed) return corrupt(std::string(rule), "not a time zone rule");
  auto rules = std::make_shared<Rules>();
  rules->name = std::string(rule);
  rules->types.push_back(parsed->standard());
  rules->footer = std::move(parsed);
  return TimeZone(rules);
}

TimeZone TimeZone::utc() {
  static const std::shared_ptr<const Rules> rules = builtInUtc("UTC");
  return TimeZone(rules);
}

TimeZone TimeZone::fixed(int secondsFromGMT) {
  secondsFromGMT = std::clamp(secondsFromGMT, -24 * 3600 + 1, 24 * 3600 - 1);
  int minutes = std::abs(secondsFromGMT) / 60;
  char name[16];
  std::snprintf(name, sizeof name, "GMT%c%02d%02d", secondsFromGMT < 0 ? '-' : '+', minutes / 60, minutes % 60);
  auto rules = std::make_shared<Rules>();
  rules->name = secondsFromGMT == 0 ? "GMT" : name;
  rules->types.push_back({secondsFromGMT, false, rules->name});
  return TimeZone(rules);
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

int TimeZone::secondsFromGMT(Date date) const { return secondsFromGMTAt(wholeSeconds(date)); }

int TimeZone::secondsFromGMTAt(std::int64_t utcSeconds) const { return rules_->typeAt(utcSeconds).offsetSeconds; }

std::string TimeZone::abbreviation(Date date) const { return rules_->typeAt(wholeSeconds(date)).abbreviation; }

bool TimeZone::isDaylightSavingTime(Date date) const { return rules_->typeAt(wholeSeconds(date)).isDaylightSaving; }

std::int64_t TimeZone::utcSecondsForLocal(std::int64_t localSeconds) const {
  constexpr std::int64_t kDay = 86400;
  // The offsets a day either side bracket any change near this wall-clock time.
  std::int64_t before = localSeconds - secondsFromGMTAt(localSeconds - kDay);
  std::int64_t after = localSeconds - secondsFromGMTAt(localSeconds + kDay);
  bool beforeFits = before + secondsFromGMTAt(before) == localSeconds;
  bool afterFits = after + secondsFromGMTAt(after) == localSeconds;
  if (beforeFits && afterFits) return std::min(before, after);
  if (afterFits) return after;
  // Fits with the earlier offset, or falls in a gap: the earlier offset lands past the gap.
  return before;
}

}  // namespace foundation
