#include "audio/alc/block_level_p.h"

#include "audio/level_math.h"

namespace orvia {

int ChannelLevel(const int32_t* samples, int32_t frames, int channels, int channel,
                 std::vector<int32_t>& scratch) {
    if (frames <= 0)
        return kSilenceDb;
    const auto count = static_cast<std::size_t>(frames);
    if (channels == 1)
        return BlockLevelDb(samples, count);
    scratch.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        scratch[i] =
            samples[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(channel)];
    return BlockLevelDb(scratch.data(), count);
}

}  // namespace orvia
