// Buffers with their own memory for the wave device tests.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/wave/wave_types.h"

namespace orvia::test {

struct TestBuffer {
    explicit TestBuffer(std::vector<int16_t> samples, uint32_t flags = 0, uint32_t loops = 0)
        : storage(std::move(samples)) {
        header.data = reinterpret_cast<uint8_t*>(storage.data());
        header.length = static_cast<uint32_t>(storage.size() * sizeof(int16_t));
        header.flags = flags;
        header.loops = loops;
    }

    std::vector<int16_t> Recorded() const {
        const size_t count = header.bytesRecorded.load() / sizeof(int16_t);
        return std::vector<int16_t>(storage.begin(), storage.begin() + static_cast<long>(count));
    }

    std::vector<int16_t> storage;
    WaveBuffer header;
};

inline std::unique_ptr<TestBuffer> MakeBuffer(std::vector<int16_t> samples, uint32_t flags = 0,
                                              uint32_t loops = 0) {
    return std::make_unique<TestBuffer>(std::move(samples), flags, loops);
}

inline std::unique_ptr<TestBuffer> EmptyBuffer(size_t samples) {
    return MakeBuffer(std::vector<int16_t>(samples, 0));
}

// count samples first, first + 1, ...
inline std::vector<int16_t> Ramp(int16_t first, size_t count) {
    std::vector<int16_t> samples(count);
    for (size_t i = 0; i < count; ++i)
        samples[i] = static_cast<int16_t>(first + static_cast<int>(i));
    return samples;
}

inline std::vector<int16_t> Concat(std::initializer_list<std::vector<int16_t>> parts) {
    std::vector<int16_t> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

}  // namespace orvia::test
