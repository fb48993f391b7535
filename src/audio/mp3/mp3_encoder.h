// Encoding messages as MP3 with LAME: mono, from 8000 Hz, at a constant 8
// kbit/s (MPEG-2.5 Layer III, LAME's low-pass at 3 kHz), which keeps
// telephone speech clear and a minute of it at about 60 KB, so a mail with
// a minute's message in base64 stays under 100 KB.
//
// The file ends in a 128-byte ID3v1 tag, so readers that take the last 128
// bytes for a tag (this project's MP3 source among them) lose no audio. No
// Xing/Info frame is written: every frame holds audio.
//
// Any thread; an encoder object belongs to one thread at a time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/pcm16_samples.h"

namespace orvia {

inline constexpr int32_t kMp3MessageRate = 8000;
inline constexpr int kMp3MessageKbps = 8;
// A message longer than this is cut (a recording is at most minutes long).
inline constexpr int32_t kMp3MaxSeconds = 3600;

// The MP3 file of mono 16-bit audio at kMp3MessageRate. Nothing when LAME
// refuses the settings or the audio is not mono at that rate.
std::optional<std::string> EncodeMp3(const Pcm16Audio& audio, int kbps = kMp3MessageKbps);

// The MP3 file of a WAVE recording in any format the pipeline reads (PCM,
// A-law, mu-law, IMA and Microsoft ADPCM, GSM 6.10), converted to mono at
// kMp3MessageRate on the way. The recording is only read. Nothing when it
// cannot be opened.
std::optional<std::string> EncodeWaveFileAsMp3(const std::string& wavePath);

}  // namespace orvia
