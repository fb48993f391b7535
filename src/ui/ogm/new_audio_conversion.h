// Bringing new audio into an OGM's recording or a mailbox's greeting: the
// input (a loaded file, a recording, synthesised speech) is converted to the
// line format, 8000 Hz, one channel, 16-bit PCM, under the "Process Audio
// File" progress window, and the finished file is handed to the background
// level-control queue.
//
// The converted audio takes the recording's place only when it is complete:
// Cancel, an input that is not audio, or a file that cannot be written leave
// the old recording exactly as it was (the user is told about the last two).
//
// Main thread only.
#pragma once

#include <string>

class QWidget;

namespace orvia {

class RecordingLeveller;

enum class NewAudioResult { Converted, Cancelled, NotReadable, NotWritten };

// The input opened as a WAVE file, or when that fails as an MP3 file,
// converted into recording (created when missing).
NewAudioResult ConvertNewAudio(QWidget* parent, const std::string& input,
                               const std::string& recording, RecordingLeveller& leveller);

// A new empty file "." + stem + "-XXXXXX.wav" beside path (hidden, so that no
// list shows it), for a recording or synthesis that is converted afterwards;
// empty when it cannot be made. The caller removes it.
std::string MakeTemporaryWave(const std::string& besidePath, const std::string& stem);

}  // namespace orvia
