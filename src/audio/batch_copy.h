// Copying a whole source into a sink, block by block (batch work such as
// processing an OGM's audio or compressing a message).
#pragma once

#include <functional>

#include "audio/sound_source.h"

namespace orvia {

// Called after each block with the frames done and the source's length;
// returning false stops the copy.
using CopyProgress = std::function<bool(int32_t done, int32_t length)>;

// While the source's position is below its length, reads up to 8192 frames
// and writes the frames that lie before the length. Returns false when the
// handles are invalid or progress asked to stop.
bool CopySourceToSink(const LSoundSource& source, const LSoundSink& sink,
                      const CopyProgress& progress = {});

}  // namespace orvia
