// Sample-format tags of WAVE file readers and writers: how a file sample
// becomes an internal sample (full scale 2^19) and back. No conversion
// saturates: a value outside the target range wraps in the kept low bits.
#pragma once

#include <cstdint>
#include <cstring>

namespace orvia {

// Unsigned 8-bit, 128 = silence.
struct LSFU8 {
    using FileSample = uint8_t;
    static constexpr int kBytes = 1;
    static constexpr uint32_t kMaxSample = 260096;  // 127 x 2048
    static int32_t ToInternal(const uint8_t* p) {
        return (static_cast<int32_t>(p[0]) - 128) * 2048;
    }
    static void FromInternal(int32_t v, uint8_t* p) {
        // The addition wraps in 32 bits, as the kept low bits do.
        p[0] = static_cast<uint8_t>((static_cast<int32_t>(static_cast<uint32_t>(v) + 1024u) >> 11) +
                                    128);
    }
};

// Signed 16-bit little-endian.
struct LSF16 {
    static constexpr int kBytes = 2;
    static constexpr uint32_t kMaxSample = 524272;
    static int32_t ToInternal(const uint8_t* p) {
        return static_cast<int32_t>(static_cast<int16_t>(p[0] | (p[1] << 8))) * 16;
    }
    static void FromInternal(int32_t v, uint8_t* p) {
        const uint32_t s =
            static_cast<uint32_t>(static_cast<int32_t>(static_cast<uint32_t>(v) + 8u) >> 4);
        p[0] = static_cast<uint8_t>(s);
        p[1] = static_cast<uint8_t>(s >> 8);
    }
};

// Signed 32-bit little-endian.
struct LSF32 {
    static constexpr int kBytes = 4;
    static constexpr uint32_t kMaxSample = 524272;
    static int32_t ToInternal(const uint8_t* p) {
        const uint32_t u = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                           (static_cast<uint32_t>(p[2]) << 16) |
                           (static_cast<uint32_t>(p[3]) << 24);
        // (value + 2048) >> 12, computed in 64 bits so the addition cannot overflow.
        return static_cast<int32_t>((static_cast<int64_t>(static_cast<int32_t>(u)) + 2048) >> 12);
    }
    static void FromInternal(int32_t v, uint8_t* p) {
        const uint32_t s = static_cast<uint32_t>(v) << 12;
        p[0] = static_cast<uint8_t>(s);
        p[1] = static_cast<uint8_t>(s >> 8);
        p[2] = static_cast<uint8_t>(s >> 16);
        p[3] = static_cast<uint8_t>(s >> 24);
    }
};

}  // namespace orvia
