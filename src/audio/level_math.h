// Fixed-point gain and level arithmetic shared by the signal processes.
//
// Gain factors are signed 32-bit with 24 fractional bits (kUnityGain = 1.0).
// The tables are built once per process, on first use, and are read-only
// afterwards, so any thread may use them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvia {

inline constexpr int32_t kUnityGain = 16777216;

// Wrapping 32-bit multiply (two's complement, as a 32-bit machine computes it).
inline int32_t WrapMul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
inline int32_t WrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// x times factor g: (x >> 12)(g >> 12) + (((x & 4095)(g >> 12)) >> 12)
// + (((x >> 12)(g & 4095)) >> 12), in wrapping 32-bit arithmetic; the product
// of the two low parts is dropped. Unity gain returns x exactly.
inline int32_t ApplyGain(int32_t x, int32_t g) {
    const int32_t xh = x >> 12, gh = g >> 12;
    const int32_t xl = x & 4095, gl = g & 4095;
    return WrapAdd(WrapAdd(WrapMul(xh, gh), WrapMul(xl, gh) >> 12), WrapMul(xh, gl) >> 12);
}

// Applies a gain that moves by step after every frame to frames interleaved
// frames of channels samples; returns the gain after the last frame.
inline int32_t ApplyRampedGain(const int32_t* in, int32_t* out, int32_t frames, size_t channels,
                               int32_t gain, int32_t step) {
    if (channels == 1) {
        for (int32_t f = 0; f < frames; ++f) {
            out[f] = ApplyGain(in[f], gain);
            gain = WrapAdd(gain, step);
        }
    } else if (channels == 2) {
        for (int32_t f = 0; f < frames; ++f) {
            out[2 * f] = ApplyGain(in[2 * f], gain);
            out[2 * f + 1] = ApplyGain(in[2 * f + 1], gain);
            gain = WrapAdd(gain, step);
        }
    } else {
        for (int32_t f = 0; f < frames; ++f) {
            for (size_t c = 0; c < channels; ++c)
                out[f * channels + c] = ApplyGain(in[f * channels + c], gain);
            gain = WrapAdd(gain, step);
        }
    }
    return gain;
}

// Amplitude factor of a dB value: floor(10^(dB/20) x 2^24 + 0.5), at most
// 2147483647; -127 dB and below is 0 (silence). dB is limited to -128..127.
int32_t DbToFactor(int db);
// The same for a power ratio, 10^(dB/10).
int32_t DbToPowerFactor(int db);

// RMS level in dB of count samples: mean of (sample >> 5)^2, then
// 10 log10(mean / 8388626) rounded half away from zero, limited to
// -127..127; a mean of 0 is -127.
int BlockLevelDb(const int32_t* samples, size_t count);
// Largest absolute sample value, saturated at 2147483647.
int32_t BlockPeak(const int32_t* samples, size_t count);

}  // namespace orvia
