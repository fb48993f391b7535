#include "store/date_text.h"

#include <gtest/gtest.h>

#include "platform/time/clock.h"

namespace orvia {
namespace {

TEST(DateText, OrderOfLocaleFormats) {
    struct Case {
        const char* format;
        DateOrder order;
    } cases[] = {
        {"%m/%d/%y", DateOrder::MonthDayYear},  // en_US
        {"%d/%m/%y", DateOrder::DayMonthYear},  // en_GB
        {"%d.%m.%Y", DateOrder::DayMonthYear},  // de_DE
        {"%Y-%m-%d", DateOrder::YearMonthDay},  // sv_SE
        {"%Y年%m月%d日", DateOrder::YearMonthDay},
        {"%D", DateOrder::MonthDayYear},
        {"%F", DateOrder::YearMonthDay},
        {"%e/%-m/%Y", DateOrder::DayMonthYear},
        {"", DateOrder::MonthDayYear},  // cannot be told
        {"%d", DateOrder::MonthDayYear},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DateOrderOfFormat(c.format), c.order) << c.format;
}

TEST(DateText, TextsOfADateTime) {
    const int64_t t = MakeLocalSeconds({2007, 3, 4, 5, 6, 7, 0});
    EXPECT_EQ(FormatDateText(t, DateOrder::MonthDayYear), "03/04/07");
    EXPECT_EQ(FormatDateText(t, DateOrder::DayMonthYear), "04/03/07");
    EXPECT_EQ(FormatDateText(t, DateOrder::YearMonthDay), "07/03/04");
    EXPECT_EQ(FormatTimeText(t), "05:06:07");
}

}  // namespace
}  // namespace orvia
