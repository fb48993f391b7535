// Date and time texts shown to people: message dates in mails and pages, the
// %date% and %time% call variables.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvia {

enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

// The order of day, month and year in a strftime date format such as
// "%d/%m/%Y" or "%D"; MonthDayYear when it cannot be told.
DateOrder DateOrderOfFormat(std::string_view format);
// The order of the user's LC_TIME date format (read once per process).
DateOrder UserDateOrder();

// "%.2d/%.2d/%.2d" of a date-time value in the given order (year modulo 100).
std::string FormatDateText(int64_t localSeconds, DateOrder order);
inline std::string FormatDateText(int64_t localSeconds) {
    return FormatDateText(localSeconds, UserDateOrder());
}
// "%.2d:%.2d:%.2d" of a date-time value.
std::string FormatTimeText(int64_t localSeconds);

}  // namespace orvia
