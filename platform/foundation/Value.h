#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "platform/foundation/DecimalNumber.h"

namespace foundation {

// Base of objects that a Value can hold by reference (models, pictures). Subclasses that can
// be archived also implement foundation::Archivable (KeyedArchive.h).
class Object {
 public:
  virtual ~Object() = default;
};

// A point in time as seconds since 1970-01-01 UTC.
struct Date {
  double secondsSince1970 = 0;
  friend bool operator==(const Date&, const Date&) = default;
  friend auto operator<=>(const Date&, const Date&) = default;
};

using Bytes = std::vector<std::uint8_t>;

class Value;
using Array = std::vector<Value>;

// A dictionary from text keys to values that keeps insertion order (JSON replies and property
// lists are written back in the order they were read). Setting an existing key keeps its place.
// Large dictionaries keep a hash index beside the entries so that lookups stay fast; keys must
// therefore not be changed through the iterators. Any thread; like a standard container, const
// members may run concurrently, changes need the caller's own lock.
class Dictionary {
 public:
  using Entry = std::pair<std::string, Value>;
  using iterator = std::vector<Entry>::iterator;
  using const_iterator = std::vector<Entry>::const_iterator;

  Dictionary() = default;
  Dictionary(std::initializer_list<Entry> entries);
  // The entries as read, in order; a repeated key keeps its first place and its last value,
  // as set() would leave it. Indexes the keys in one pass.
  explicit Dictionary(std::vector<Entry> entries);

  // nullptr when the key is absent.
  const Value* find(std::string_view key) const;
  Value* find(std::string_view key);
  bool contains(std::string_view key) const { return find(key) != nullptr; }
  // The value for the key, or a shared null value when absent.
  const Value& operator[](std::string_view key) const;

  void set(std::string key, Value value);
  bool erase(std::string_view key);
  void clear();
  // Makes room for `count` entries in all, so that filling a dictionary of known size
  // allocates once.
  void reserve(std::size_t count);

  std::size_t size() const;
  bool empty() const;
  std::vector<std::string> keys() const;

  // Defined below Value, which the entries need complete.
  iterator begin();
  iterator end();
  const_iterator begin() const;
  const_iterator end() const;

  friend bool operator==(const Dictionary& a, const Dictionary& b);

 private:
  std::size_t positionOf(std::string_view key) const;
  void indexEntry(std::size_t position);
  void reindex(std::size_t capacity);
  void mergeRepeatedKeys();

  std::vector<Entry> entries_;
  // Open-addressed hash index of key -> position + 1 (0 marks a free slot), kept (by the
  // non-const members only, so that concurrent readers stay safe) once there are more than a
  // few entries. Flat, so that building and freeing a dictionary costs one allocation for it.
  std::vector<std::uint32_t> slots_;
};

// The platform's object value: null, bool, signed or unsigned 64-bit integer, double, text,
// bytes, date, array, ordered dictionary, a shared reference to an Object, or an exact decimal
// number. Bools are never numbers: Value(true).isNumber() is false. Copying copies containers
// deeply and shares objects. Any thread; const members may run concurrently, changes need the
// caller's own lock.
class Value {
 public:
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wshadow"  // the kinds are named after the types they hold
  enum class Kind { Null, Bool, Int, UInt, Double, String, Bytes, Date, Array, Dictionary, Object, Decimal };
#pragma GCC diagnostic pop

  Value() = default;
  Value(std::nullptr_t) {}
  Value(bool b) : storage_(b) {}
  template <class T,
            std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool> && std::is_signed_v<T>, int> = 0>
  Value(T n) : storage_(static_cast<std::int64_t>(n)) {}
  template <class T,
            std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool> && std::is_unsigned_v<T>, int> = 0>
  Value(T n) : storage_(static_cast<std::uint64_t>(n)) {}
  Value(double d) : storage_(d) {}
  Value(const char* s) : storage_(std::string(s)) {}
  Value(std::string s) : storage_(std::move(s)) {}
  Value(std::string_view s) : storage_(std::string(s)) {}
  Value(Bytes b) : storage_(std::move(b)) {}
  Value(Date d) : storage_(d) {}
  Value(Array a) : storage_(std::move(a)) {}
  Value(Dictionary d) : storage_(std::move(d)) {}
  Value(DecimalNumber d) : storage_(std::move(d)) {}
  // A null pointer makes the null value, so that isObject() always means a real object.
  template <class T, std::enable_if_t<std::is_base_of_v<Object, T>, int> = 0>
  Value(std::shared_ptr<T> object) {
    if (object) storage_ = std::static_pointer_cast<Object>(std::move(object));
  }

  Kind kind() const { return static_cast<Kind>(storage_.index()); }
  bool isNull() const { return kind() == Kind::Null; }
  bool isBool() const { return kind() == Kind::Bool; }
  bool isInteger() const { return kind() == Kind::Int || kind() == Kind::UInt; }
  bool isNumber() const { return isInteger() || kind() == Kind::Double || kind() == Kind::Decimal; }
  bool isString() const { return kind() == Kind::String; }
  bool isBytes() const { return kind() == Kind::Bytes; }
  bool isDate() const { return kind() == Kind::Date; }
  bool isArray() const { return kind() == Kind::Array; }
  bool isDictionary() const { return kind() == Kind::Dictionary; }
  bool isObject() const { return kind() == Kind::Object; }
  bool isDecimal() const { return kind() == Kind::Decimal; }

  // Typed views; nullptr when the value is of another kind.
  const bool* getBool() const { return std::get_if<bool>(&storage_); }
  const std::string* getString() const { return std::get_if<std::string>(&storage_); }
  std::string* getString() { return std::get_if<std::string>(&storage_); }
  const Bytes* getBytes() const { return std::get_if<Bytes>(&storage_); }
  const Date* getDate() const { return std::get_if<Date>(&storage_); }
  const Array* getArray() const { return std::get_if<Array>(&storage_); }
  Array* getArray() { return std::get_if<Array>(&storage_); }
  const Dictionary* getDictionary() const { return std::get_if<Dictionary>(&storage_); }
  Dictionary* getDictionary() { return std::get_if<Dictionary>(&storage_); }
  const DecimalNumber* getDecimal() const { return std::get_if<DecimalNumber>(&storage_); }
  const std::shared_ptr<Object>* getObject() const { return std::get_if<std::shared_ptr<Object>>(&storage_); }
  template <class T>
  std::shared_ptr<T> objectAs() const {
    auto* object = getObject();
    return object ? std::dynamic_pointer_cast<T>(*object) : nullptr;
  }

  // Lenient readings in the manner of the platform's value accessors: numbers convert between
  // kinds (a decimal number to its nearest double, or its whole part clamped to the integer's
  // range), bools read as 0/1, numeric text is parsed; anything else gives the fallback.
  std::int64_t toInt64(std::int64_t fallback = 0) const;
  std::uint64_t toUInt64(std::uint64_t fallback = 0) const;
  double toDouble(double fallback = 0) const;
  bool toBool(bool fallback = false) const;
  // Text of a string or number ("12", "1.5", a decimal number's own text); the fallback for
  // other kinds.
  std::string toString(const std::string& fallback = "") const;

  // Dictionary lookup: the shared null value when this is not a dictionary or lacks the key.
  const Value& operator[](std::string_view key) const;

  friend bool operator==(const Value& a, const Value& b);

  static const Value& null();
  // "null", "bool", "integer", "unsigned integer", "real", "string", "bytes", "date", "array",
  // "dictionary", "object" or "decimal number": for error messages.
  static const char* kindName(Kind kind);
  const char* kindName() const { return kindName(kind()); }

 private:
  std::variant<std::monostate, bool, std::int64_t, std::uint64_t, double, std::string, Bytes, Date, Array, Dictionary,
               std::shared_ptr<Object>, DecimalNumber>
      storage_;
};

inline Dictionary::Dictionary(std::initializer_list<Entry> entries) {
  for (const auto& entry : entries) set(entry.first, entry.second);
}
inline std::size_t Dictionary::size() const { return entries_.size(); }
inline bool Dictionary::empty() const { return entries_.empty(); }
inline Dictionary::iterator Dictionary::begin() { return entries_.begin(); }
inline Dictionary::iterator Dictionary::end() { return entries_.end(); }
inline Dictionary::const_iterator Dictionary::begin() const { return entries_.begin(); }
inline Dictionary::const_iterator Dictionary::end() const { return entries_.end(); }

}  // namespace foundation
