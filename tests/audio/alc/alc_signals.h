// Signals, sources and sinks in memory for the level-control tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/sound_source.h"

namespace orvia::test {

// A source over samples held in memory.
class SampleSource : public LSoundSourceBase {
public:
    SampleSource(std::vector<int32_t> samples, int32_t rate, uint32_t channelCount);
    void Read(int32_t* buffer, int32_t frames) override;
    void Seek(int32_t frame) override { position_ = frame; }
    int32_t GetPosition() override { return position_; }
    int32_t GetLength() override;

private:
    std::vector<int32_t> samples_;
    int32_t position_ = 0;
};

// A 16-bit-scale sink that keeps what it is given.
class SampleSink : public LSoundSinkBase {
public:
    SampleSink(uint32_t rate, uint32_t channelCount)
        : LSoundSinkBase(rate, kFullScale16, channelCount) {}
    void Write(const int32_t* buffer, int32_t frames) override;
    std::vector<int32_t> samples;
};

LSoundSource FromSamples(std::vector<int32_t> samples, int32_t rate, uint32_t channels = 1);

// A sine at a level in dB below 16-bit full scale (524272).
std::vector<int32_t> Tone(double seconds, double hz, int32_t rate, double dbfs);
// A tone switched on and off like syllables: 200 ms on, 100 ms off, with a
// slow swell of the on-level over +-4 dB.
std::vector<int32_t> Syllables(double seconds, int32_t rate, double dbfs);
// Scales samples so that their peak sits at a level in dB below full scale.
std::vector<int32_t> ScaleToPeak(std::vector<int32_t> samples, double dbfs);
// Synthesised speech (espeak-ng) as 16-bit-scale mono samples and its rate;
// empty when espeak-ng is missing or fails.
std::vector<int32_t> Speech(const std::string& folder, const std::string& text, int32_t* rate);

// The speech level of each channel, measured as the level control measures.
std::vector<int> MeasureSpeechLevels(std::vector<int32_t> samples, int32_t rate, int channels);

}  // namespace orvia::test
