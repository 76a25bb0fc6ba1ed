#include "src/framework/categories/ArrayAdditions.h"

namespace framework::array_additions {

bool contentString(const foundation::Array& array, std::string_view text) {
  return indexOfString(array, text) != kNotFound;
}

std::size_t indexOfString(const foundation::Array& array, std::string_view text) {
  for (std::size_t index = 0; index < array.size(); ++index) {
    const std::string* element = array[index].getString();
    if (element && *element == text) return index;
  }
  return kNotFound;
}

}  // namespace framework::array_additions
