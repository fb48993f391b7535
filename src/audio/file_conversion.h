// Converting a whole sound source into a WAVE file that replaces a file only
// once it is complete: the converted audio is written into a new file beside
// the destination, checked and synced, and then renamed over the destination
// in one step. Until then the destination is untouched, so a failure, a full
// disk or a stop leaves whatever was there before.
//
// Used for batch work: compressing a message, bringing new audio into an OGM
// or a greeting. The caller's thread does the work; the stop check is polled
// before every block.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "audio/codec/wave_format.h"
#include "audio/sound_source.h"

namespace orvia {

// True when the conversion should end now; an empty check never stops.
using ConversionStop = std::function<bool()>;
// Called after each block with the frames converted so far and the length of
// the result (both in the sink's rate).
using ConversionProgress = std::function<void(int32_t done, int32_t length)>;

// The source converted to channels, sampleRate and the sample range
// maxSample (the peak limiter keeps it there); the rate stage only where the
// rates differ.
LSoundSource ConvertFormat(const LSoundSource& source, uint16_t channels, int32_t sampleRate,
                           uint32_t maxSample);
// The source converted to the sink's channels, sample rate and sample range.
LSoundSource ConvertForSink(const LSoundSource& source, const LSoundSinkBase& sink);

// Writes the whole source, converted to format, into destination: in blocks
// of 8192 frames into a new private file beside it (the mode of an existing
// destination is kept), which takes the destination's name once it holds
// everything its header declares. True when destination was replaced (or
// created); false, with destination as it was and no file left behind, when
// the source is invalid, the new file cannot be written, or stop ended it.
bool WriteConvertedFile(const LSoundSource& source, const WaveFormat& format,
                        const std::string& destination, const ConversionStop& stop = {},
                        const ConversionProgress& progress = {});

}  // namespace orvia
