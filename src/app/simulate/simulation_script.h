// The call script of `orvia simulate`: one call described statement by
// statement, one statement a line.
//
//   caller NUMBER [NAME] | caller blocked | caller outofarea
//   line N                      the "line%d" settings that apply (0..63)
//   clock YYYY-MM-DD HH:MM:SS   local wall-clock time at the first ring
//   rings N                     the caller gives up after N unanswered rings
//   limit SECONDS               the caller hangs up at this call time
//   at SECONDS ACTION           on the call-audio clock from the connection:
//       press KEYS | say FILE.wav | silence | fax | data | busy | hangup
//
// A line whose first non-blank character is "#" is a comment, and so is the
// rest of a line from a word that starts with "#" after a statement's own
// words (a key word such as "#" or "12#" belongs to press). File names are
// relative to the script's folder.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/scripted/call_script.h"

namespace orvia {

struct SimulationScript {
    CallScript call;
    int lineIndex = 0;
    // Local wall-clock seconds at the first ring; none: the time now.
    std::optional<int64_t> clock;
};

// Reads a voice file as samples at 8000 frames per second, one channel;
// false with a reason when it cannot.
using VoiceLoader =
    std::function<bool(const std::string& path, std::vector<int16_t>* samples, std::string* error)>;

// The WAVE reader of the audio layer, converting any format it opens.
VoiceLoader WaveVoiceLoader();

// Longest voice file taken, in seconds.
inline constexpr int kMaxVoiceSeconds = 600;
// Largest script file read.
inline constexpr std::size_t kMaxScriptBytes = 1 << 20;

// Parses a script whose relative file names are in folder (ending in "/").
// On failure *error names the line: "LINE: reason".
bool ParseSimulationScript(std::string_view text, const std::string& folder,
                           const VoiceLoader& loadVoice, SimulationScript* script,
                           std::string* error);

// Reads and parses a script file.
bool LoadSimulationScript(const std::string& path, const VoiceLoader& loadVoice,
                          SimulationScript* script, std::string* error);

}  // namespace orvia
