// In-band DTMF tones: the two frequencies of a key, summed, at 8000 samples
// per second.
//
// Threads: one thread (the SIP loop).
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvia::sip {

class DtmfToneGenerator {
public:
    // Starts the tone of a key ('0'-'9', '*', '#', 'A'-'D'); false for others.
    bool Start(char digit);
    // Writes the next count samples of the tone.
    void Generate(int16_t* out, size_t count);

private:
    double lowStep_ = 0, highStep_ = 0;
    double lowPhase_ = 0, highPhase_ = 0;
};

// Row and column frequencies of a key; false for other characters.
bool DtmfFrequencies(char digit, int* low, int* high);

}  // namespace orvia::sip
