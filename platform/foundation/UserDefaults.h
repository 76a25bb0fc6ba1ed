#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Result.h"
#include "platform/foundation/Value.h"

namespace foundation {

// The application's persistent settings: values by key, kept as an XML property list in the
// Preferences folder of the home ("<bundle identifier>.plist"). Changes live in memory until
// synchronize() writes the whole file atomically, so a crash leaves the previous file intact.
// A file that cannot be read at start is set aside as "<name>.corrupt" and the settings start
// empty: start-up never fails. All methods are thread-safe.
class UserDefaults {
 public:
  // Any thread. The shared instance, loaded from disk on first use.
  static UserDefaults& standardUserDefaults();

  // Any thread. The value, or the null value when the key is absent.
  Value objectForKey(std::string_view key) const;
  // Any thread. Stores a copy of the value; a null value removes the key. An error, and nothing
  // changed, for a key or value a property list cannot hold (objects, null inside containers,
  // text that is not UTF-8 or holds a NUL).
  Status setObject(Value value, std::string_view key);
  // Any thread.
  void removeObjectForKey(std::string_view key);

  // Any thread. Typed readings in the platform's manner. Text: a string, or a number as text.
  std::optional<std::string> stringForKey(std::string_view key) const;
  // A bool, a number other than 0, or the text "YES"/"true"/a non-zero number; else false.
  bool boolForKey(std::string_view key) const;
  // A number or numeric text; else 0.
  std::int64_t integerForKey(std::string_view key) const;
  double doubleForKey(std::string_view key) const;
  std::optional<Dictionary> dictionaryForKey(std::string_view key) const;
  std::optional<Array> arrayForKey(std::string_view key) const;
  std::optional<Bytes> dataForKey(std::string_view key) const;

  // Any thread. All keys and values, in the order they were first set.
  Dictionary dictionaryRepresentation() const;

  // Any thread. Writes the settings to disk when they changed since the last write.
  Status synchronize();

  // Any thread. Test hook: forgets what is in memory and reads the file again, as after a
  // restart, from the Preferences folder of the home as it is now.
  void reloadForTesting();

  UserDefaults(const UserDefaults&) = delete;
  UserDefaults& operator=(const UserDefaults&) = delete;

 private:
  UserDefaults();
  void load();  // requires mutex_
  Value valueForKey(std::string_view key) const;

  mutable std::mutex mutex_;
  std::mutex writeMutex_;  // keeps two synchronize() calls from writing out of order
  std::string path_;
  Dictionary values_;
  std::uint64_t generation_ = 0;  // counts changes
  std::uint64_t writtenGeneration_ = 0;
};

}  // namespace foundation
