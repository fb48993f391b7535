#include "platform/time/clock.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace orvia {
namespace {

std::mutex& SourceMutex() {
    static std::mutex mutex;
    return mutex;
}

std::function<int64_t()>& Source() {
    static std::function<int64_t()> source;
    return source;
}

int64_t RealLocalNow() {
    const time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    return static_cast<int64_t>(timegm(&local));
}

}  // namespace

int64_t LocalNow() {
    std::function<int64_t()> source;
    {
        std::lock_guard<std::mutex> guard(SourceMutex());
        source = Source();
    }
    return source ? source() : RealLocalNow();
}

LocalFields BreakDown(int64_t localSeconds) {
    const time_t t = static_cast<time_t>(localSeconds);
    struct tm utc {};
    gmtime_r(&t, &utc);
    LocalFields f;
    f.year = utc.tm_year + 1900;
    f.month = utc.tm_mon + 1;
    f.day = utc.tm_mday;
    f.hour = utc.tm_hour;
    f.minute = utc.tm_min;
    f.second = utc.tm_sec;
    f.weekday = utc.tm_wday;
    return f;
}

std::string DateTimeText(int64_t localSeconds, char sep) {
    const LocalFields t = BreakDown(localSeconds);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d%c%02d:%02d:%02d", t.year, t.month, t.day, sep,
                  t.hour, t.minute, t.second);
    return text;
}

int64_t MakeLocalSeconds(const LocalFields& fields) {
    struct tm utc {};
    utc.tm_year = fields.year - 1900;
    utc.tm_mon = fields.month - 1;
    utc.tm_mday = fields.day;
    utc.tm_hour = fields.hour;
    utc.tm_min = fields.minute;
    utc.tm_sec = fields.second;
    return static_cast<int64_t>(timegm(&utc));
}

void SetClockSource(std::function<int64_t()> source) {
    std::lock_guard<std::mutex> guard(SourceMutex());
    Source() = std::move(source);
}

ScopedFixedClock::ScopedFixedClock(int64_t localSeconds) : now_(localSeconds) {
    SetClockSource([this] { return now_; });
}

ScopedFixedClock::~ScopedFixedClock() {
    SetClockSource(nullptr);
}

void ScopedFixedClock::Set(int64_t localSeconds) {
    now_ = localSeconds;
}

void ScopedFixedClock::Advance(int64_t seconds) {
    now_ += seconds;
}

}  // namespace orvia
