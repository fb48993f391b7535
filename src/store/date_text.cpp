#include "store/date_text.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdio>

#include "platform/time/clock.h"

namespace orvia {

DateOrder DateOrderOfFormat(std::string_view format) {
    int day = -1, month = -1, year = -1;
    for (std::size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        std::size_t j = i + 1;
        // Skip glibc flags and widths such as %-d or %02d.
        while (j < format.size() && (format[j] == '-' || format[j] == '_' || format[j] == '0' ||
                                     format[j] == '^' || format[j] == '#' || format[j] == 'E' ||
                                     format[j] == 'O' || (format[j] >= '1' && format[j] <= '9')))
            ++j;
        if (j >= format.size())
            break;
        const int at = static_cast<int>(i);
        switch (format[j]) {
            case 'd':
            case 'e':
                if (day < 0)
                    day = at;
                break;
            case 'm':
            case 'b':
            case 'B':
            case 'h':
                if (month < 0)
                    month = at;
                break;
            case 'y':
            case 'Y':
            case 'C':
            case 'G':
            case 'g':
                if (year < 0)
                    year = at;
                break;
            case 'D':
                return DateOrder::MonthDayYear;  // %m/%d/%y
            case 'F':
                return DateOrder::YearMonthDay;  // %Y-%m-%d
            default:
                break;
        }
        i = j;
    }
    if (day < 0 || month < 0 || year < 0)
        return DateOrder::MonthDayYear;
    if (year < month && month < day)
        return DateOrder::YearMonthDay;
    if (day < month)
        return DateOrder::DayMonthYear;
    return DateOrder::MonthDayYear;
}

DateOrder UserDateOrder() {
    static const DateOrder order = [] {
        DateOrder result = DateOrder::MonthDayYear;
        locale_t loc = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
        if (loc != static_cast<locale_t>(0)) {
            if (const char* fmt = nl_langinfo_l(D_FMT, loc))
                result = DateOrderOfFormat(fmt);
            freelocale(loc);
        }
        return result;
    }();
    return order;
}

std::string FormatDateText(int64_t localSeconds, DateOrder order) {
    const LocalFields f = BreakDown(localSeconds);
    const int yy = f.year % 100;
    int a = f.month, b = f.day, c = yy;
    if (order == DateOrder::DayMonthYear) {
        a = f.day;
        b = f.month;
    } else if (order == DateOrder::YearMonthDay) {
        a = yy;
        b = f.month;
        c = f.day;
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.2d/%.2d/%.2d", a, b, c);
    return buf;
}

std::string FormatTimeText(int64_t localSeconds) {
    const LocalFields f = BreakDown(localSeconds);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.2d:%.2d:%.2d", f.hour, f.minute, f.second);
    return buf;
}

}  // namespace orvia
