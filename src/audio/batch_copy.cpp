#include "audio/batch_copy.h"

#include <algorithm>
#include <vector>

namespace orvia {

bool CopySourceToSink(const LSoundSource& source, const LSoundSink& sink,
                      const CopyProgress& progress) {
    if (IsInvalid(source) || IsInvalid(sink))
        return false;
    std::vector<int32_t> block(static_cast<std::size_t>(kMaxBlockFrames) * source->channels);
    for (;;) {
        const int32_t position = source->GetPosition();
        if (position >= source->GetLength())
            break;
        source->Read(block.data(), kMaxBlockFrames);
        // Read after the length: a compressed source's length is exact only
        // once decoding has reached the end.
        const int32_t length = source->GetLength();
        const int32_t useful = std::clamp(length - position, 0, kMaxBlockFrames);
        if (useful > 0)
            sink->Write(block.data(), useful);
        if (progress && !progress(source->GetPosition(), length))
            return false;
    }
    return true;
}

}  // namespace orvia
