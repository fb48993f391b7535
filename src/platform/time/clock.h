// The wall clock the system reasons with.
//
// Every date-time value, time of day and weekday (log names and entries,
// message dates, auto-hours, OGM validity, %date% and %time%) uses the local
// wall-clock time. A date-time value is that local time counted in seconds
// since 1 January 1970 as if it were UTC, so breaking it down as UTC gives the
// local fields. Tests and `orvia simulate` replace the clock source.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace orvia {

// Local wall-clock seconds since 1970, counted as if UTC.
int64_t LocalNow();

struct LocalFields {
    int year = 1970;  // full year
    int month = 1;    // 1..12
    int day = 1;      // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 4;  // 0 = Sunday .. 6 = Saturday
};

// Breaks a date-time value into its fields (as UTC, which holds local time).
LocalFields BreakDown(int64_t localSeconds);
// The inverse: a date-time value from fields (weekday ignored).
int64_t MakeLocalSeconds(const LocalFields& fields);
// "2026-12-10 06:33:42" (sep ' ') or "2026-12-10T06:33:42" (sep 'T').
std::string DateTimeText(int64_t localSeconds, char sep);

// Replaces the clock source for the whole process (nullptr restores the real
// clock). For tests and `orvia simulate`; not for use while other threads read
// the clock concurrently with the change.
void SetClockSource(std::function<int64_t()> source);

// Sets a fixed clock for the scope of a test, restoring the real one after.
class ScopedFixedClock {
public:
    explicit ScopedFixedClock(int64_t localSeconds);
    ~ScopedFixedClock();
    void Set(int64_t localSeconds);
    void Advance(int64_t seconds);

private:
    int64_t now_;
};

}  // namespace orvia
