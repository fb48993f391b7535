// Detects a fax machine's calling tone (CNG: 1100 Hz, 0.5 s on, 3 s off) in
// received audio at 8000 samples per second.
//
// The audio is examined in blocks of 20 ms: a block counts as tone when it
// is loud enough and the 1100 Hz component (Goertzel filter) holds most of
// its energy. The tone is detected after 400 ms of such blocks in a row, and
// reported once per detector.
//
// Threads: one thread (the SIP loop).
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvia::sip {

class FaxToneDetector {
public:
    // True once, for the block that completes a calling tone.
    bool Process(const int16_t* samples, size_t count);
    bool Detected() const { return detected_; }

private:
    void EndBlock();

    double q1_ = 0, q2_ = 0, energy_ = 0;
    size_t inBlock_ = 0;
    int toneBlocks_ = 0;
    bool detected_ = false;
    bool justDetected_ = false;
};

}  // namespace orvia::sip
