#include "store/encodings.h"

#include <gtest/gtest.h>

#include "platform/time/clock.h"

namespace orvia {
namespace {

TEST(Encodings, Booleans) {
    for (const char* t : {"true", "TRUE", "True", " true "})
        EXPECT_TRUE(ParseBool(t)) << t;
    for (const char* f : {"yes", "1", "", "false", "truex", "on"})
        EXPECT_FALSE(ParseBool(f)) << f;
    EXPECT_STREQ(FormatBool(true), "true");
    EXPECT_STREQ(FormatBool(false), "false");
}

TEST(Encodings, Integers) {
    struct Case {
        const char* text;
        int32_t value;
    } cases[] = {{"12", 12},
                 {"-7", -7},
                 {"+3", 3},
                 {"12abc", 12},
                 {"abc", 0},
                 {"", 0},
                 {" 42", 42},
                 {"1 2", 1},
                 {"3.9", 3},
                 {"99999999999", 2147483647},
                 {"-99999999999", -2147483647 - 1}};
    for (const auto& c : cases)
        EXPECT_EQ(ParseInt(c.text), c.value) << c.text;
}

TEST(Encodings, Levels) {
    struct Case {
        const char* text;
        int value;
    } reads[] = {{"--dB", -127},   {"-20dB", -20}, {"0dB", 0},     {"8dB", 8},    {"200dB", 127},
                 {"-300dB", -127}, {"dB", 0},      {"-2-0", -127}, {"1 2dB", 12}, {"+6dB", 6}};
    for (const auto& c : reads)
        EXPECT_EQ(ParseDb(c.text), c.value) << c.text;
    EXPECT_EQ(FormatDb(-127), "--dB");
    EXPECT_EQ(FormatDb(-128), "--dB");
    EXPECT_EQ(FormatDb(-126), "-126dB");
    EXPECT_EQ(FormatDb(0), "0dB");
    EXPECT_EQ(FormatDb(8), "8dB");
}

TEST(Encodings, Durations) {
    struct Case {
        const char* text;
        int32_t ticks;
    } reads[] = {
        {" 0:00:30.000", 300000},
        {"30", 300000},
        {"0:30", 300000},
        {"1:00", 600000},
        {"1:00:00", 36000000},
        {"0:00:01.5", 15000},
        {"0.1234", 1234},
        {"0.12345", 1234},
        {"-0:00:02.000", -20000},
        {"2-", -20000},
        {"1:02.5", 625000},
        {"", 0},
        {"abc", 0},
    };
    for (const auto& c : reads)
        EXPECT_EQ(ParseDuration(c.text), c.ticks) << c.text;

    struct Write {
        int32_t ticks;
        const char* text;
    } writes[] = {
        {300000, " 0:00:30.000"},      {0, " 0:00:00.000"},
        {4, " 0:00:00.000"},           {5, " 0:00:00.001"},
        {-20000, "-0:00:02.000"},      {36000000, " 1:00:00.000"},
        {2147483647, " 59:39:08.365"}, {-2147483647 - 1, "-59:39:08.365"},
    };
    for (const auto& w : writes)
        EXPECT_EQ(FormatDuration(w.ticks), w.text) << w.ticks;
}

TEST(Encodings, TimesOfDay) {
    struct Case {
        const char* text;
        int32_t seconds;
    } reads[] = {{"09:00:00", 32400},  {"17:00:00", 61200}, {"5:30pm", 63000},
                 {"12:15am", 900},     {"12:15pm", 44100},  {"5.30", 19800},
                 {"5\\30\\10", 19810}, {"1:2:3:44", 3723},  {"", 0},
                 {"7", 25200}};
    for (const auto& c : reads)
        EXPECT_EQ(ParseTimeOfDay(c.text), c.seconds) << c.text;
    EXPECT_EQ(FormatTimeOfDay(63000), "17:30:00");
    EXPECT_EQ(FormatTimeOfDay(0), "00:00:00");
    EXPECT_EQ(FormatTimeOfDay(86399), "23:59:59");
}

TEST(Encodings, DateTimes) {
    const int64_t dec10 = MakeLocalSeconds({2026, 12, 10, 14, 5, 9, 0});
    struct Case {
        int64_t value;
        const char* text;
    } cases[] = {
        {0, "IMMEDIATE"},
        {0x7FFFFFFF, "NEVER"},
        {2, "01/01/YY-00:00:00"},  // first recurring value
        {2 + 2678400 + 86400 * 14 + 3600 * 9 + 60 * 30, "15/02/YY-09:30:00"},  // 15 Feb 09:30
        {2 + 11 * 2678400 + 30 * 86400 + 86399, "31/12/YY-23:59:59"},
        {32313599, "02/13/YY-23:59:57"},  // months of 31 days run past December
        {1, "01/01/70-00:00:01"},
        {32313600, "10/01/71-00:00:00"},  // first value written as a full date
        {dec10, "10/12/26-14:05:09"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDateTime(c.value), c.text) << c.value;
        EXPECT_EQ(ParseDateTime(c.text), c.value) << c.text;
    }
    EXPECT_EQ(FormatDateTime(-5), "IMMEDIATE");
    EXPECT_EQ(ParseDateTime("never"), 0x7FFFFFFF);
    EXPECT_EQ(ParseDateTime("01/01/99-00:00:00"), MakeLocalSeconds({1999, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(ParseDateTime("01/01/50-00:00:00"), 0x7FFFFFFF);  // beyond 2038 reads as never
    for (const char* bad : {"", "hello", "32/01/26-00:00:00", "01/13/26-00:00:00", "01/01"})
        EXPECT_FALSE(ParseDateTime(bad).has_value()) << bad;
}

}  // namespace
}  // namespace orvia
