#pragma once

#include <bitset>
#include <string_view>

namespace framework {

// A set of byte values, the byte scanner's counterpart of a character set.
class ByteSet {
 public:
  ByteSet() = default;
  explicit ByteSet(std::string_view members) {
    for (char c : members) bits_.set(static_cast<unsigned char>(c));
  }

  bool contains(char c) const { return bits_.test(static_cast<unsigned char>(c)); }

 private:
  std::bitset<256> bits_;
};

}  // namespace framework
