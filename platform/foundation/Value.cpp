#include "platform/foundation/Value.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/foundation/NoDestructor.h"

namespace foundation {

namespace {

// Below this size a linear scan beats hashing and keeps small dictionaries lean.
constexpr std::size_t kIndexThreshold = 8;
constexpr std::size_t kAbsent = static_cast<std::size_t>(-1);

std::size_t hashOf(std::string_view key) { return std::hash<std::string_view>{}(key); }

// Slots for `count` entries at most half full, a power of two so that probing can mask.
std::size_t slotCountFor(std::size_t count) { return std::bit_ceil(count * 2); }

}  // namespace

std::size_t Dictionary::positionOf(std::string_view key) const {
  if (slots_.empty()) {
    for (std::size_t i = 0; i < entries_.size(); ++i)
      if (entries_[i].first == key) return i;
    return kAbsent;
  }
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = hashOf(key) & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t mark = slots_[slot];
    if (mark == 0) return kAbsent;
    if (entries_[mark - 1].first == key) return mark - 1;
  }
}

void Dictionary::indexEntry(std::size_t position) {
  const std::size_t mask = slots_.size() - 1;
  std::size_t slot = hashOf(entries_[position].first) & mask;
  while (slots_[slot] != 0) slot = (slot + 1) & mask;
  slots_[slot] = static_cast<std::uint32_t>(position + 1);
}

// Rebuilds the index for room of `capacity` entries, or drops it while the dictionary is small.
void Dictionary::reindex(std::size_t capacity) {
  slots_.clear();
  if (capacity <= kIndexThreshold) {
    slots_.shrink_to_fit();
    return;
  }
  slots_.resize(slotCountFor(capacity));
  for (std::size_t i = 0; i < entries_.size(); ++i) indexEntry(i);
}

Dictionary::Dictionary(std::vector<Entry> entries) : entries_(std::move(entries)) {
  if (entries_.size() > kIndexThreshold) slots_.resize(slotCountFor(entries_.size()));
  bool repeated = false;
  for (std::size_t i = 0; i < entries_.size() && !repeated; ++i) {
    if (slots_.empty()) {
      repeated = positionOf(entries_[i].first) < i;
      continue;
    }
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = hashOf(entries_[i].first) & mask;
    for (; slots_[slot] != 0 && !repeated; slot = (slot + 1) & mask)
      repeated = entries_[slots_[slot] - 1].first == entries_[i].first;
    if (!repeated) slots_[slot] = static_cast<std::uint32_t>(i + 1);
  }
  if (repeated) mergeRepeatedKeys();
}

// The rare slow road of a reply that repeats a key: rebuilt entry by entry as set() leaves it.
void Dictionary::mergeRepeatedKeys() {
  std::vector<Entry> entries = std::move(entries_);
  entries_.clear();
  slots_.clear();
  reserve(entries.size());
  for (Entry& entry : entries) set(std::move(entry.first), std::move(entry.second));
}

const Value* Dictionary::find(std::string_view key) const {
  std::size_t position = positionOf(key);
  return position == kAbsent ? nullptr : &entries_[position].second;
}

Value* Dictionary::find(std::string_view key) {
  std::size_t position = positionOf(key);
  return position == kAbsent ? nullptr : &entries_[position].second;
}

const Value& Dictionary::operator[](std::string_view key) const {
  const Value* value = find(key);
  return value ? *value : Value::null();
}

void Dictionary::set(std::string key, Value value) {
  if (Value* existing = find(key)) {
    *existing = std::move(value);
    return;
  }
  entries_.emplace_back(std::move(key), std::move(value));
  if (slots_.empty() && entries_.size() <= kIndexThreshold) return;
  if (slots_.size() < slotCountFor(entries_.size()))
    reindex(entries_.size());
  else
    indexEntry(entries_.size() - 1);
}

bool Dictionary::erase(std::string_view key) {
  std::size_t position = positionOf(key);
  if (position == kAbsent) return false;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
  reindex(entries_.size());
  return true;
}

void Dictionary::clear() {
  entries_.clear();
  slots_.clear();
}

void Dictionary::reserve(std::size_t count) {
  entries_.reserve(count);
  if (count > kIndexThreshold && slots_.size() < slotCountFor(count)) reindex(count);
}

std::vector<std::string> Dictionary::keys() const {
  std::vector<std::string> result;
  result.reserve(entries_.size());
  for (const auto& entry : entries_) result.push_back(entry.first);
  return result;
}

// Equal when they hold the same keys with equal values, whatever the order.
bool operator==(const Dictionary& a, const Dictionary& b) {
  if (a.size() != b.size()) return false;
  for (const auto& [key, value] : a) {
    const Value* other = b.find(key);
    if (!other || !(*other == value)) return false;
  }
  return true;
}

const Value& Value::null() {
  static const NoDestructor<Value> kNull;
  return *kNull;
}

const char* Value::kindName(Kind kind) {
  switch (kind) {
    case Kind::Null:
      return "null";
    case Kind::Bool:
      return "bool";
    case Kind::Int:
      return "integer";
    case Kind::UInt:
      return "unsigned integer";
    case Kind::Double:
      return "real";
    case Kind::String:
      return "string";
    case Kind::Bytes:
      return "bytes";
    case Kind::Date:
      return "date";
    case Kind::Array:
      return "array";
    case Kind::Dictionary:
      return "dictionary";
    case Kind::Object:
      return "object";
    case Kind::Decimal:
      return "decimal number";
  }
  return "unknown";
}

const Value& Value::operator[](std::string_view key) const {
  const Dictionary* dictionary = getDictionary();
  return dictionary ? (*dictionary)[key] : null();
}

namespace {

template <class T>
bool parseNumber(const std::string& text, T& out) {
  const char* first = text.data();
  const char* last = first + text.size();
  while (first < last && (*first == ' ' || *first == '\t')) ++first;
  if (first < last && *first == '+') ++first;
  auto [end, ec] = std::from_chars(first, last, out);
  return ec == std::errc() && end != first;
}

}  // namespace

std::int64_t Value::toInt64(std::int64_t fallback) const {
  switch (kind()) {
    case Kind::Bool:
      return *getBool() ? 1 : 0;
    case Kind::Int:
      return std::get<std::int64_t>(storage_);
    case Kind::UInt: {
      auto u = std::get<std::uint64_t>(storage_);
      return u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())
                 ? std::numeric_limits<std::int64_t>::max()
                 : static_cast<std::int64_t>(u);
    }
    case Kind::Double: {
      double d = std::get<double>(storage_);
      if (std::isnan(d)) return fallback;
      if (d >= 9.2233720368547758e18) return std::numeric_limits<std::int64_t>::max();
      if (d <= -9.2233720368547758e18) return std::numeric_limits<std::int64_t>::min();
      return static_cast<std::int64_t>(d);
    }
    case Kind::String: {
      std::int64_t n = 0;
      if (parseNumber(*getString(), n)) return n;
      double d = 0;
      return parseNumber(*getString(), d) ? Value(d).toInt64(fallback) : fallback;
    }
    case Kind::Decimal:
      return getDecimal()->isNotANumber() ? fallback : getDecimal()->clampedInt64();
    default:
      return fallback;
  }
}

std::uint64_t Value::toUInt64(std::uint64_t fallback) const {
  switch (kind()) {
    case Kind::UInt:
      return std::get<std::uint64_t>(storage_);
    case Kind::String: {
      std::uint64_t n = 0;
      if (parseNumber(*getString(), n)) return n;
      break;
    }
    case Kind::Decimal:
      return getDecimal()->isNotANumber() ? fallback : getDecimal()->clampedUInt64();
    default:
      break;
  }
  if (!isNumber() && !isBool() && !isString()) return fallback;
  std::int64_t n = toInt64(0);
  return n < 0 ? 0 : static_cast<std::uint64_t>(n);
}

double Value::toDouble(double fallback) const {
  switch (kind()) {
    case Kind::Bool:
      return *getBool() ? 1 : 0;
    case Kind::Int:
      return static_cast<double>(std::get<std::int64_t>(storage_));
    case Kind::UInt:
      return static_cast<double>(std::get<std::uint64_t>(storage_));
    case Kind::Double:
      return std::get<double>(storage_);
    case Kind::String: {
      double d = 0;
      return parseNumber(*getString(), d) ? d : fallback;
    }
    case Kind::Decimal:
      return getDecimal()->doubleValue();
    default:
      return fallback;
  }
}

bool Value::toBool(bool fallback) const {
  switch (kind()) {
    case Kind::Bool:
      return *getBool();
    case Kind::Int:
    case Kind::UInt:
    case Kind::Double:
      return toDouble() != 0;
    case Kind::Decimal:
      return !getDecimal()->isZero();
    case Kind::String: {
      const std::string& s = *getString();
      if (s == "true" || s == "YES" || s == "yes") return true;
      return toInt64(0) != 0;
    }
    default:
      return fallback;
  }
}

std::string Value::toString(const std::string& fallback) const {
  switch (kind()) {
    case Kind::String:
      return *getString();
    case Kind::Int:
      return std::to_string(std::get<std::int64_t>(storage_));
    case Kind::UInt:
      return std::to_string(std::get<std::uint64_t>(storage_));
    case Kind::Double: {
      double d = std::get<double>(storage_);
      if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 1e15)
        return std::to_string(static_cast<long long>(d));
      char buffer[32];
      auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, d);
      return ec == std::errc() ? std::string(buffer, end) : fallback;
    }
    case Kind::Decimal:
      return getDecimal()->text();
    default:
      return fallback;
  }
}

bool operator==(const Value& a, const Value& b) {
  // Numbers of different integer kinds compare by value, as the platform's numbers do.
  if (a.isInteger() && b.isInteger()) {
    if (a.kind() == b.kind()) return a.storage_ == b.storage_;
    const Value& s = a.kind() == Value::Kind::Int ? a : b;
    const Value& u = a.kind() == Value::Kind::Int ? b : a;
    auto sv = std::get<std::int64_t>(s.storage_);
    return sv >= 0 && static_cast<std::uint64_t>(sv) == std::get<std::uint64_t>(u.storage_);
  }
  return a.storage_ == b.storage_;
}

}  // namespace foundation
