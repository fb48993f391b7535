#include "audio/channel_conversion.h"

#include <algorithm>

namespace orvia {

LSRCConvChannels::LSRCConvChannels(const LSoundSource& inputSource, uint16_t outputChannels)
    : LSoundProcessBase(inputSource), inputChannels_(channels) {
    channels = static_cast<uint8_t>(outputChannels);
    if (outputChannels == 0 || outputChannels > 255) {
        channels = 1;
        flags |= kSoundInvalid;
    }
    if (!IsInvalid())
        inBuffer_.resize(static_cast<size_t>(kMaxBlockFrames) * inputChannels_);
}

void LSRCConvChannels::Read(int32_t* buffer, int32_t frames) {
    if (frames <= 0)
        return;
    if (IsInvalid()) {
        std::fill(buffer, buffer + static_cast<size_t>(frames) * channels, 0);
        return;
    }
    while (frames > 0) {
        const int32_t n = std::min(frames, kMaxBlockFrames);
        input->Read(inBuffer_.data(), n);
        Map(inBuffer_.data(), buffer, n);
        buffer += static_cast<size_t>(n) * channels;
        frames -= n;
    }
}

void LSRCConvStereoMono::Map(const int32_t* in, int32_t* out, int32_t frames) const {
    for (int32_t f = 0; f < frames; ++f)
        out[f] = in[2 * f];
}

void LSRCConvMonoStereo::Map(const int32_t* in, int32_t* out, int32_t frames) const {
    for (int32_t f = 0; f < frames; ++f)
        out[2 * f] = out[2 * f + 1] = in[f];
}

void LSRCConvChannelsN::Map(const int32_t* in, int32_t* out, int32_t frames) const {
    const size_t inCh = inputChannels_, outCh = channels;
    for (int32_t f = 0; f < frames; ++f) {
        const int32_t* frameIn = in + static_cast<size_t>(f) * inCh;
        int32_t* frameOut = out + static_cast<size_t>(f) * outCh;
        for (size_t c = 0; c < outCh; ++c)
            frameOut[c] = frameIn[c % inCh];
    }
}

void LSPConvChannels::Apply(LSoundSource& result, const LSoundSource& input) const {
    if (IsInvalid(input) || channels == 0 || channels == input->channels) {
        result = input;
        return;
    }
    if (input->channels == 2 && channels == 1)
        result = MakeCounted<LSRCConvStereoMono>(input);
    else if (input->channels == 1 && channels == 2)
        result = MakeCounted<LSRCConvMonoStereo>(input);
    else
        result = MakeCounted<LSRCConvChannelsN>(input, channels);
}

}  // namespace orvia
