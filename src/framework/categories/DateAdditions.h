#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Value.h"

// Texts of dates and date arithmetic. "Now" is the process clock's wall time, so tests step it.
// Every call makes its own formatter: any thread.
namespace framework::date_additions {

// How long ago a past moment (seconds since 1970) was: "刚刚", "%d秒前", "%d分钟前", "%d小时前",
// "%d天前", "%d周前", or from four weeks on the moment's date as "yyyy-MM-dd". Moments in the
// future read "刚刚".
std::string timeStringWithInterval(double secondsSince1970);

// The date as "yyyy-MM-dd" (or "MM-dd" without the year) with the separator in place of "-";
// no separator means "-".
std::string stringWithSeperator(foundation::Date date, const std::optional<std::string>& separator,
                                bool includeYear = true);
// The date written with a Unicode date pattern in the current locale and time zone.
std::string stringWithFormat(foundation::Date date, std::string_view pattern);
// The date that the text names in the pattern; nullopt when it does not match.
std::optional<foundation::Date> dateWithString(std::string_view text, std::string_view pattern);

// Now, or the given date, moved by whole days of 86400 seconds.
foundation::Date relativedDateWithInterval(int days);
foundation::Date relativedDateWithInterval(foundation::Date date, int days);

// The Chinese name of the date's Gregorian weekday in the current time zone: "星期日" (Sunday)
// to "星期六", whatever day the locale starts its weeks with.
std::string weekday(foundation::Date date);

}  // namespace framework::date_additions
