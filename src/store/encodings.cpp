#include "store/encodings.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

#include "platform/text/ascii_text.h"
#include "platform/time/clock.h"

namespace orvia {
namespace {

// Adds a decimal digit, saturating far above any meaningful value.
int64_t AddDigit(int64_t value, char digit) {
    constexpr int64_t kCap = int64_t{1} << 40;
    value = value * 10 + (digit - '0');
    return value > kCap ? kCap : value;
}

int32_t ClampToInt32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

bool ParseBool(std::string_view text) {
    return EqualsNoCase(TrimBlanks(text), "true");
}

const char* FormatBool(bool value) {
    return value ? "true" : "false";
}

int32_t ParseInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t v = 0;
    for (; i < text.size() && IsAsciiDigit(text[i]); ++i)
        v = AddDigit(v, text[i]);
    return ClampToInt32(negative ? -v : v);
}

std::string FormatDb(int db) {
    if (db <= kDbSilence)
        return "--dB";
    return std::to_string(std::min(db, 127)) + "dB";
}

int ParseDb(std::string_view text) {
    int64_t magnitude = 0;
    int minuses = 0;
    for (char c : text) {
        if (IsAsciiDigit(c)) {
            magnitude = AddDigit(magnitude, c);
        } else if (c == '-') {
            if (++minuses >= 2)
                magnitude = 127;
        }
    }
    // A second "-" sets the magnitude to 127, whatever digits follow.
    if (minuses >= 2)
        magnitude = 127;
    const int64_t v = minuses > 0 ? -magnitude : magnitude;
    return static_cast<int>(std::clamp<int64_t>(v, -127, 127));
}

std::string FormatDuration(int32_t ticks) {
    const bool negative = ticks < 0;
    int64_t v = negative ? -static_cast<int64_t>(ticks) : ticks;
    v += 5;  // round to the nearest millisecond
    const int64_t ms = (v / 10) % 1000;
    const int64_t s = (v / kTicksPerSecond) % 60;
    const int64_t m = (v / (60 * kTicksPerSecond)) % 60;
    const int64_t h = v / (3600LL * kTicksPerSecond);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%c%lld:%.2lld:%.2lld.%.3lld", negative ? '-' : ' ',
                  static_cast<long long>(h), static_cast<long long>(m), static_cast<long long>(s),
                  static_cast<long long>(ms));
    return buf;
}

int32_t ParseDuration(std::string_view text) {
    bool negative = false;
    bool fraction = false;
    int64_t seconds = 0;  // fields before the current one, in seconds
    int64_t field = 0;    // the current field
    int64_t ticks = 0;    // from the digits after "."
    int64_t unit = 1000;  // value of the next digit after "."
    for (char c : text) {
        if (c == '-') {
            negative = true;
        } else if (fraction) {
            if (IsAsciiDigit(c)) {
                ticks += (c - '0') * unit;
                unit /= 10;
            }
        } else if (IsAsciiDigit(c)) {
            field = AddDigit(field, c);
        } else if (c == ':') {
            seconds = std::min<int64_t>((seconds + field) * 60, int64_t{1} << 40);
            field = 0;
        } else if (c == '.') {
            fraction = true;
        }
    }
    const int64_t v = (seconds + field) * kTicksPerSecond + ticks;
    return ClampToInt32(negative ? -v : v);
}

std::string FormatTimeOfDay(int32_t seconds) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.2d:%.2d:%.2d", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return buf;
}

int32_t ParseTimeOfDay(std::string_view text) {
    int64_t fields[3] = {0, 0, 0};
    std::size_t index = 0;
    bool pm = false;
    bool am = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (IsAsciiDigit(c)) {
            if (index < 3)
                fields[index] = AddDigit(fields[index], c);
        } else if (c == '.' || c == '\\' || c == ':') {
            ++index;
        } else if ((c == 'p' || c == 'P') && (next == 'm' || next == 'M')) {
            pm = true;
        } else if ((c == 'a' || c == 'A') && (next == 'm' || next == 'M')) {
            am = true;
        }
    }
    if (pm && fields[0] < 12)
        fields[0] += 12;
    if (am && fields[0] == 12)
        fields[0] = 0;
    return ClampToInt32(fields[0] * 3600 + fields[1] * 60 + fields[2]);
}

std::string FormatDateTime(int64_t value) {
    if (value < 1)
        return "IMMEDIATE";
    if (value >= kDateTimeNever)
        return "NEVER";
    char buf[64];
    if (value >= 2 && value < kDateTimeRecurringEnd) {
        const int64_t v = value - 2;
        std::snprintf(buf, sizeof buf, "%.2d/%.2d/YY-%.2d:%.2d:%.2d",
                      static_cast<int>((v % 2678400) / 86400 + 1),
                      static_cast<int>(v / 2678400 + 1), static_cast<int>(v / 3600 % 24),
                      static_cast<int>(v / 60 % 60), static_cast<int>(v % 60));
        return buf;
    }
    const LocalFields f = BreakDown(value);
    std::snprintf(buf, sizeof buf, "%.2d/%.2d/%.2d-%.2d:%.2d:%.2d", f.day, f.month, f.year % 100,
                  f.hour, f.minute, f.second);
    return buf;
}

std::optional<int64_t> ParseDateTime(std::string_view text) {
    text = TrimBlanks(text);
    if (EqualsNoCase(text, "IMMEDIATE"))
        return kDateTimeImmediate;
    if (EqualsNoCase(text, "NEVER"))
        return kDateTimeNever;
    if (text.empty())
        return std::nullopt;

    // Numeric fields in order; "YY" in the year's place marks a recurring date.
    std::vector<int64_t> fields;
    bool recurring = false;
    bool inNumber = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (IsAsciiDigit(c)) {
            if (!inNumber)
                fields.push_back(0);
            fields.back() = AddDigit(fields.back(), c);
            inNumber = true;
            continue;
        }
        inNumber = false;
        if ((c == 'Y' || c == 'y') && fields.size() == 2) {
            recurring = true;
            fields.push_back(0);
            while (i + 1 < text.size() && (text[i + 1] == 'Y' || text[i + 1] == 'y'))
                ++i;
        } else if (c != '/' && c != '-' && c != ':' && c != ' ' && c != '.') {
            return std::nullopt;
        }
    }
    if (fields.size() == 1 && !recurring) {
        return std::min<int64_t>(fields[0], kDateTimeNever);
    }
    if (fields.size() < 3 || fields.size() > 6)
        return std::nullopt;
    fields.resize(6, 0);
    const int64_t day = fields[0], month = fields[1], hour = fields[3], minute = fields[4],
                  second = fields[5];
    if (day < 1 || day > 31 || month < 1 || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    if (recurring) {
        // Months of 31 days: the recurring range runs two days into a 13th month.
        const int64_t v =
            2 + (month - 1) * 2678400 + (day - 1) * 86400 + hour * 3600 + minute * 60 + second;
        if (month > 13 || v >= kDateTimeRecurringEnd)
            return std::nullopt;
        return v;
    }
    if (month > 12)
        return std::nullopt;
    int64_t year = fields[2];
    if (year < 100)
        year += year < 70 ? 2000 : 1900;
    if (year > 9999)
        return std::nullopt;
    LocalFields f;
    f.year = static_cast<int>(year);
    f.month = static_cast<int>(month);
    f.day = static_cast<int>(day);
    f.hour = static_cast<int>(hour);
    f.minute = static_cast<int>(minute);
    f.second = static_cast<int>(second);
    return std::clamp<int64_t>(MakeLocalSeconds(f), kDateTimeImmediate, kDateTimeNever);
}

}  // namespace orvia
