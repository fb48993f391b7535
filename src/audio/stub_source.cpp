#include "audio/stub_source.h"

#include <cstring>

namespace orvia {

LSRCStub::LSRCStub(int32_t lengthFrames, int32_t rate, uint32_t channelCount)
    : LSoundSourceBase(rate, 0, channelCount), length_(lengthFrames) {}

void LSRCStub::Read(int32_t* buffer, int32_t frames) {
    if (frames <= 0)
        return;
    std::memset(buffer, 0, sizeof(int32_t) * static_cast<std::size_t>(frames) * channels);
    position_ += frames;
}

LSoundSource MakeSilence(int32_t lengthFrames, int32_t rate, uint32_t channelCount) {
    return MakeCounted<LSRCStub>(lengthFrames, rate, channelCount);
}

}  // namespace orvia
