// Channel-count conversion (LSPConvChannels builds one of the LSRCConvChannels
// family). Positions and lengths are the input's.
//
// Sources are not thread-safe: one consumer at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/sound_process.h"

namespace orvia {

// Reads the input into its own buffer of kMaxBlockFrames frames; the
// subclasses map input channels to output channels.
class LSRCConvChannels : public LSoundProcessBase {
public:
    void Read(int32_t* buffer, int32_t frames) override;

protected:
    // A count of 0 or above 255 makes the stage invalid.
    LSRCConvChannels(const LSoundSource& input, uint16_t outputChannels);
    virtual void Map(const int32_t* in, int32_t* out, int32_t frames) const = 0;

    uint8_t inputChannels_;

private:
    std::vector<int32_t> inBuffer_;
};

// 2 -> 1: the left sample of each frame (the right channel is dropped).
class LSRCConvStereoMono : public LSRCConvChannels {
public:
    explicit LSRCConvStereoMono(const LSoundSource& input) : LSRCConvChannels(input, 1) {}

protected:
    void Map(const int32_t* in, int32_t* out, int32_t frames) const override;
};

// 1 -> 2: the sample copied to both channels.
class LSRCConvMonoStereo : public LSRCConvChannels {
public:
    explicit LSRCConvMonoStereo(const LSoundSource& input) : LSRCConvChannels(input, 2) {}

protected:
    void Map(const int32_t* in, int32_t* out, int32_t frames) const override;
};

// Any other: output channel c takes input channel c mod (input channels).
class LSRCConvChannelsN : public LSRCConvChannels {
public:
    LSRCConvChannelsN(const LSoundSource& input, uint16_t outputChannels)
        : LSRCConvChannels(input, outputChannels) {}

protected:
    void Map(const int32_t* in, int32_t* out, int32_t frames) const override;
};

class LSPConvChannels : public LSoundProcess {
public:
    explicit LSPConvChannels(uint16_t channels) : channels(channels) {}
    // Passes the input through when the counts are equal or either is 0.
    void Apply(LSoundSource& result, const LSoundSource& input) const override;

    uint16_t channels;
};

}  // namespace orvia
