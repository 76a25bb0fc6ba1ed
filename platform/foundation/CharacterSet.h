#pragma once

#include <initializer_list>
#include <set>

namespace foundation {

// A set of Unicode characters (code points). Any thread; not changed after it is made.
class CharacterSet {
 public:
  CharacterSet() = default;
  CharacterSet(std::initializer_list<char32_t> members) : members_(members) {}

  bool contains(char32_t character) const { return members_.count(character) != 0; }

 private:
  std::set<char32_t> members_;
};

}  // namespace foundation
