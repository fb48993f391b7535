// The one-time compression of a message's audio into the format chosen in the
// format-choice file (settings.wff beside settings.ini).
//
// Thread: any thread that owns the message for the moment (the delivery
// thread in a pass, the main thread in the manual e-mail action). The
// conversion blocks its thread; the stop check is polled before every block.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "audio/codec/wave_format.h"
#include "delivery/transfer_control.h"

namespace orvia {

// Called after each block with the frames converted so far and the length of
// the recording in the target rate (for a progress bar).
using ConvertProgress = std::function<void(int32_t done, int32_t length)>;

// Re-encodes the audio file into format: the file is opened as a source,
// converted to the format's channels, rate and sample range, and copied in
// blocks of 8192 frames into a new file beside it, which then takes the audio
// file's name in one rename. The audio file is never lost: until the rename
// it is untouched, and a failure or stop leaves it as it was and removes the
// new file. True when the file was re-encoded and replaced.
bool ConvertAudioFile(const WaveFormat& format, const std::string& audioPath,
                      const StopCheck& stop = {}, const ConvertProgress& progress = {});

// The compression format: the format-choice file beside settings.ini over the
// default (8-bit PCM, 8000 Hz, mono).
WaveFormat ReadCompressionFormat();

// Converts the audio of the message whose ".ini" file is messageIni once:
// nothing when its "compressed" key (missing: false) is already "true".
// "compressed" = "true" is written before converting, so a message whose
// conversion fails keeps its audio as it is and is not tried again; only a
// conversion ended by the stop check writes "false" back, so a later pass
// converts it. When the flag cannot be written nothing is converted.
void CompressMessage(const std::string& messageIni, const StopCheck& stop = {});

}  // namespace orvia
