// Text encodings of typed values in INI files (settings, OGM, mailbox and
// message files).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvia {

// Durations count ticks of 0.1 ms.
inline constexpr int32_t kTicksPerSecond = 10000;
// A level of -127 dB means silence.
inline constexpr int kDbSilence = -127;
// Date-time values: "IMMEDIATE" and "NEVER".
inline constexpr int64_t kDateTimeImmediate = 0;
inline constexpr int64_t kDateTimeNever = 0x7FFFFFFF;
// Date-time values from 2 up to this bound are dates that recur every year.
inline constexpr int64_t kDateTimeRecurringEnd = 32313600;

// True exactly when the text is "true" without regard to case.
bool ParseBool(std::string_view text);
const char* FormatBool(bool value);

// Decimal conversion that stops at the first non-digit (no digits: 0),
// clamped to the 32-bit range.
int32_t ParseInt(std::string_view text);

// Levels: "%ddB", or "--dB" for -127 and below.
std::string FormatDb(int db);
int ParseDb(std::string_view text);

// Durations: sign, then hours:minutes:seconds.milliseconds rounded to the
// nearest millisecond (" 0:00:30.000" for 300000).
std::string FormatDuration(int32_t ticks);
int32_t ParseDuration(std::string_view text);

// Time of day in seconds since midnight: "HH:MM:SS"; reads "5:30pm" too.
std::string FormatTimeOfDay(int32_t seconds);
int32_t ParseTimeOfDay(std::string_view text);

// Date-time: "IMMEDIATE", "NEVER", "DD/MM/YY-HH:MM:SS", or for dates that
// recur every year "DD/MM/YY-HH:MM:SS" with the letters YY in place of the year.
std::string FormatDateTime(int64_t value);
// Reads what FormatDateTime writes (and a plain number of seconds); nullopt
// for text that is none of these.
std::optional<int64_t> ParseDateTime(std::string_view text);

}  // namespace orvia
