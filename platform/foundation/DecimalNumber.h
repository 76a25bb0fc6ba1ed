#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// A number in base ten held exactly: a sign, any number of digits and a decimal exponent, never
// rounded to a double. Its text is plain decimal notation ("0.1", "2500", "-0.0",
// "1234567890123456789012345"), or the digits and an exponent ("1e400") where plain notation
// would need more than a few padding zeros. Text that is not a number makes the not-a-number
// value, whose text is "NaN". Immutable; any thread.
class DecimalNumber {
 public:
  // mantissa × 10^exponent, negated when `negative`; not a number beyond an exponent of 10^9
  // either way.
  DecimalNumber(std::uint64_t mantissa, std::int64_t exponent, bool negative);
  // An optional sign, digits with an optional fraction, and an optional exponent ("-12.5e3");
  // the whole text must be that, with the exponent within 10^9 either way, else the value is
  // not a number.
  explicit DecimalNumber(std::string_view text);

  bool isNotANumber() const { return notANumber_; }
  bool isZero() const;
  const std::string& text() const { return text_; }
  // The nearest double: infinite or zero beyond the double range, NaN for not-a-number.
  double doubleValue() const;
  // The whole part, clamped to the type's range (0 for not-a-number).
  std::int64_t clampedInt64() const;
  std::uint64_t clampedUInt64() const;

  // By value (0.10 equals 0.1, -0 equals 0); not-a-number equals only not-a-number.
  friend bool operator==(const DecimalNumber& a, const DecimalNumber& b);

 private:
  // The whole part's magnitude; nullopt beyond 64 bits.
  std::optional<std::uint64_t> wholeMagnitude() const;

  std::string text_;
  bool notANumber_ = false;
};

}  // namespace foundation
