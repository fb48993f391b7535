// Levels one queued recording in place: reads it as a WAVE file (mixed to
// one channel), runs the automatic level control into a new 8000 Hz mono
// 16-bit WAVE file beside it, waits while another handle still holds the
// recording, and then puts the result in its place. Whatever goes wrong, the
// recording stays as it was. Runs on the calling thread (BGALC's).
#pragma once

#include <functional>
#include <string>

namespace orvia {

enum class LevelOutcome {
    Replaced,  // the recording now holds the levelled audio
    NotAudio,  // not a readable WAVE file: nothing done
    Failed,    // levelling or replacing failed: the recording is unchanged
    Stopped,   // stop requested: the recording is unchanged
    Gone,      // the recording was deleted before or meanwhile: not brought back
    Changed,   // the recording was rewritten meanwhile: the newer one is kept
};

struct LevelHooks {
    // Polled between blocks of work.
    std::function<bool()> stopRequested = [] { return false; };
    // Waits up to the given time for a stop request; true when one came.
    std::function<bool(int ms)> waitForStop = [](int) { return false; };
    // Told each time the recording is found still in use.
    std::function<void()> inUse = [] {};
};

// Milliseconds between two looks at a recording that is still in use.
inline constexpr int kInUseRetryMs = 500;

LevelOutcome LevelRecording(const std::string& path, const LevelHooks& hooks = {});

}  // namespace orvia
