// Time at the audio interfaces: ticks of 1/10000 second, signed 32-bit.
// Conversions split the arithmetic so no intermediate overflows 32 bits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvia {

inline constexpr int32_t kTicksPerSec = 10000;

// (ticks / 10000) x rate + ((ticks mod 10000) x rate) / 10000.
int32_t TicksToFrames(int32_t ticks, int32_t rate);
// (frames / rate) x 10000 + ((frames mod rate) x 10000) / rate; 0 when rate < 1.
int32_t FramesToTicks(int32_t frames, int32_t rate);

enum class TickFormat {
    Milliseconds,  // the stored duration form: sign, then h:mm:ss.mmm
    Hundredths,    // h:mm:ss.hh
    Tenths,        // h:mm:ss.t
    Seconds,       // h:mm:ss
};

// Each form rounds to the nearest unit it shows.
std::string FormatTicks(int32_t ticks, TickFormat format = TickFormat::Milliseconds);
// Ignores every character other than digits, ":", "." and "-": "1:02.5" is 625000.
int32_t ParseTicks(std::string_view text);

}  // namespace orvia
