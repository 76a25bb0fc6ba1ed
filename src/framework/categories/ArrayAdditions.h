#pragma once

#include <cstddef>
#include <limits>
#include <string_view>

#include "platform/foundation/Value.h"

// Look-ups of text in arrays of mixed values. Any thread.
namespace framework::array_additions {

// What indexOfString answers when no element matches.
inline constexpr std::size_t kNotFound = std::numeric_limits<std::size_t>::max();

// Whether some element is a string equal to `text`; elements of other kinds are skipped.
bool contentString(const foundation::Array& array, std::string_view text);
// The index of the first string element equal to `text`, or kNotFound.
std::size_t indexOfString(const foundation::Array& array, std::string_view text);

}  // namespace framework::array_additions
