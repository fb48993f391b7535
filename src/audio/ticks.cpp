#include "audio/ticks.h"

#include <cstdio>

#include "store/encodings.h"

namespace orvia {

int32_t TicksToFrames(int32_t ticks, int32_t rate) {
    return (ticks / kTicksPerSec) * rate + ((ticks % kTicksPerSec) * rate) / kTicksPerSec;
}

int32_t FramesToTicks(int32_t frames, int32_t rate) {
    if (rate < 1)
        return 0;
    return (frames / rate) * kTicksPerSec + ((frames % rate) * kTicksPerSec) / rate;
}

std::string FormatTicks(int32_t ticks, TickFormat format) {
    if (format == TickFormat::Milliseconds)
        return FormatDuration(ticks);
    const bool negative = ticks < 0;
    int64_t v = negative ? -static_cast<int64_t>(ticks) : ticks;
    const int64_t h = (v + 5000) / (3600LL * kTicksPerSec);
    char buf[48];
    const char* sign = negative ? "-" : "";
    switch (format) {
        case TickFormat::Hundredths:
            v += 50;
            std::snprintf(
                buf, sizeof buf, "%s%lld:%.2lld:%.2lld.%.2lld", sign,
                static_cast<long long>(v / 36000000), static_cast<long long>(v / 600000 % 60),
                static_cast<long long>(v / 10000 % 60), static_cast<long long>(v / 100 % 100));
            break;
        case TickFormat::Tenths:
            v += 500;
            std::snprintf(
                buf, sizeof buf, "%s%lld:%.2lld:%.2lld.%.1lld", sign,
                static_cast<long long>(v / 36000000), static_cast<long long>(v / 600000 % 60),
                static_cast<long long>(v / 10000 % 60), static_cast<long long>(v / 1000 % 10));
            break;
        default:
            v += 5000;
            std::snprintf(buf, sizeof buf, "%s%lld:%.2lld:%.2lld", sign, static_cast<long long>(h),
                          static_cast<long long>(v / 600000 % 60),
                          static_cast<long long>(v / 10000 % 60));
            break;
    }
    return buf;
}

int32_t ParseTicks(std::string_view text) {
    return ParseDuration(text);
}

}  // namespace orvia
