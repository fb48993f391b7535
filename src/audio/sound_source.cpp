#include "audio/sound_source.h"

namespace orvia {

LSoundSourceBase::LSoundSourceBase(int32_t rate, uint32_t maxSampleValue, uint32_t channelCount)
    : sampleRate(rate), maxSample(maxSampleValue), channels(static_cast<uint8_t>(channelCount)) {
    if (rate < 1) {
        sampleRate = 44100;
        flags |= kSoundInvalid;
    }
    if (channelCount == 0 || channelCount > 255) {
        channels = 1;
        flags |= kSoundInvalid;
    }
}

LSoundSinkBase::LSoundSinkBase(uint32_t rate, uint32_t maxSampleValue, uint32_t channelCount)
    : sampleRate(rate), maxSample(maxSampleValue), channels(static_cast<uint8_t>(channelCount)) {
    if (channelCount == 0 || channelCount > 255) {
        channels = 1;
        flags |= kSoundInvalid;
    }
}

}  // namespace orvia
