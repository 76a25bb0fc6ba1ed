#include "src/framework/categories/LocaleAdditions.h"

#include "platform/foundation/Locale.h"

namespace framework::locale_additions {

std::string getCountryCode() { return foundation::Locale::current().countryCode(); }

std::string getLanguageCode() { return foundation::Locale::current().languageCode(); }

}  // namespace framework::locale_additions
