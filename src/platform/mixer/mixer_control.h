// Mixer control: sets the sound card's mixer before playing or recording.
//
// Every operation takes the wave device identifier whose card's mixer it
// works on (a wave-in identifier for the record operations, a wave-out one
// for the play operations). A negative identifier (the default device) makes
// an operation do nothing and return 0 or an empty text; a device without a
// mixer (test devices, call devices, no sound card) makes it do nothing and
// return 0 or the fallback name. Mixers are opened for each call and not
// kept. Levels are dB as in the settings file.
//
// On an ALSA card the recording destination is the "Capture" element, its
// source lines are the items of the capture-source selector (or, without
// one, the elements that can be recorded from); the speaker destination is
// "Master" and the wave-output line is "PCM".
//
// Threads: the main thread.
#pragma once

#include <cstdint>
#include <string>

namespace orvia {

// The mixer value of a level: (dB + 36) x 1424 from -35 dB up, else 0; at
// most 65535 (0 dB gives 51264).
uint16_t MixerLevelFromDb(int db);

class LMixerControl {
public:
    static constexpr const char* kDefaultLineName = "Windows Record Mixer";
    static constexpr const char* kInvalidLineName = "<MIXER INVALID>";

    // Source lines of the recording destination, at most 127; 0 on failure.
    static int GetRecordLineCount(int device);
    // A record source line's name (at most 31 bytes); kDefaultLineName for a
    // negative line, kInvalidLineName when the line cannot be found.
    static std::string GetRecordLineName(int device, int line);
    // Records from one source line at the level, silencing the others.
    // Returns the number of source lines.
    static int SelectRecordLine(int device, int line, int db);

    // Sets the speaker level and the wave-output line's level (dB + offset)
    // and unmutes both.
    static void SetPlayVolume(int device, int db, int offsetDb);
    static int GetPlayLineCount(int device);
    static std::string GetPlayLineName(int device, int line);
    // Sets one playback source line's level and unmutes it.
    static void SetPlayLineVolume(int device, int line, int db);
};

}  // namespace orvia
