// The compression format for messages: the formats the codec layer can
// offer, and the small file beside the settings file that keeps the choice.
//
// The file (".wff") holds exactly 1024 bytes: the format block (18 bytes
// and cbSize extra bytes) followed by bytes without meaning (zeros).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "audio/codec/wave_format.h"

namespace orvia {

inline constexpr std::size_t kFormatChoiceFileBytes = 1024;

struct EncodableFormat {
    WaveFormat format;
    std::string name;  // for display, e.g. "GSM 6.10, 8000 Hz, mono"
};

// Every format the layer encodes: PCM 8 and 16 bit, A-law, mu-law, IMA ADPCM
// and Microsoft ADPCM in mono and stereo, GSM 6.10 in mono, each at 8000,
// 11025, 16000, 22050 and 44100 Hz.
std::vector<EncodableFormat> ListEncodableFormats();

// True when a 16-bit PCM stream with the chosen channels and rate converts to
// the chosen format.
bool CanConvertFromPcm16(const WaveFormat& chosen);

// The settings file's path with its extension changed to ".wff" (added when
// the name has none).
std::string FormatChoicePath(const std::string& settingsFile);

// The chosen format. A missing file, or one too short to hold its format
// block (under 16 bytes, or fewer extra bytes than its cbSize), gives the
// default: 8-bit PCM, 8000 Hz, mono. Only the first 1024 bytes are read.
WaveFormat ReadFormatChoice(const std::string& wffPath);

// Replaces the file with the format block padded to 1024 bytes, written in
// one piece through a temporary file and a rename. False when the format
// block does not fit or the write fails (the old file is then left as it was).
bool WriteFormatChoice(const std::string& wffPath, const WaveFormat& format);

}  // namespace orvia
