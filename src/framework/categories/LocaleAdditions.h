#pragma once

#include <string>

// The current locale's codes. Any thread.
namespace framework::locale_additions {

// "CN" of "zh_CN"; "" when the locale names no country.
std::string getCountryCode();
// "zh" of "zh_CN".
std::string getLanguageCode();

}  // namespace framework::locale_additions
