#include "src/framework/json/JsonDecimalNumber.h"

#include <cstdlib>

namespace framework {

JsonDecimalNumber::JsonDecimalNumber(std::string text)
    : text_(std::move(text)), doubleValue_(std::strtod(text_.c_str(), nullptr)) {}

}  // namespace framework
