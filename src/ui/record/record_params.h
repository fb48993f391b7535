// The parameter block of the record control: what the caller asks for (the
// file, its title, rate and channels, the options) and the record control's
// settings, which the dialog updates and the caller writes back when it
// keeps the recording.
//
// Threads: plain data; the settings functions read and write settings.ini.
#pragma once

#include <cstdint>
#include <string>

namespace orvia {

struct LRecordParams {
    enum Flags : uint16_t {
        kReadOnlyName = 1,    // the title field cannot be edited
        kAutoTrim = 2,        // recording waits for sound above the threshold
        kVoiceActivated = 4,  // silence longer than 5 s pauses the recording
    };

    uint16_t flags = kAutoTrim;
    std::string path;
    std::string title;
    int32_t sampleRate = 8000;
    int channels = 1;
    // Wave-in device and its input line (-1: the mixer's own choice), record
    // level, wave-out device and play level (dB), and the threshold (dB).
    int8_t recordDevice = 0;
    int8_t recordLine = -1;
    int recordVolume = 0;
    int8_t playDevice = 0;
    int playVolume = 0;
    int threshold = -30;
};

// Reads the record control's settings ("recorddevice", "recordchan",
// "recordvolume", "recordplaydevice", "recordplayvolume", "recordtrim" of
// section "settings") into the block; the other fields stay.
void ReadRecordSettings(LRecordParams* params);
// Writes them back; false when settings.ini could not be written.
bool WriteRecordSettings(const LRecordParams& params);

}  // namespace orvia
