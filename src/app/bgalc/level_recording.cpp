#include "app/bgalc/level_recording.h"

#include <unistd.h>

#include <filesystem>

#include "audio/alc/auto_gain.h"
#include "audio/channel_conversion.h"
#include "audio/pcm_file_sink.h"
#include "audio/wave_source.h"
#include "platform/files/file_replacement.h"

namespace orvia {
namespace {

constexpr int32_t kLevelledRate = 8000;
constexpr int kLevelledBits = 16;
constexpr int64_t kWaveHeaderBytes = 46;

// Removes the temporary result unless it was handed on.
class ResultFile {
public:
    explicit ResultFile(std::string path) : path_(std::move(path)) {}
    ~ResultFile() {
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    ResultFile(const ResultFile&) = delete;
    ResultFile& operator=(const ResultFile&) = delete;
    const std::string& Path() const { return path_; }
    void Release() { path_.clear(); }

private:
    std::string path_;
};

// Levels the source into the file; the frames written, or -1 on failure or stop.
int64_t LevelInto(LSoundSource source, const std::string& resultPath, const LevelHooks& hooks) {
    LSoundSink sink = CreatePCMWaveSink(resultPath, kLevelledRate, 1, kLevelledBits, 0);
    if (IsInvalid(sink))
        return -1;
    LDPAutoGain gain(source, sink, kQueueAutoGainParams);
    source.reset();
    while (gain.Step()) {
        if (hooks.stopRequested())
            return -1;
    }
    // A sink whose write failed (a full disk) has ended its file with what
    // reached it, consistent but short: never a result.
    return gain.Failed() || sink->IsInvalid() ? -1 : sink->position;
    // The sink completes its file when its last handle goes, on return.
}

// The result is a complete WAVE file of the expected format and length: a
// full disk or a failed write must never replace a recording.
bool IsCompleteResult(const std::string& path, int64_t frames) {
    const auto stamp = StampOf(path);
    if (!stamp || stamp->size != kWaveHeaderBytes + frames * (kLevelledBits / 8))
        return false;
    LSoundSource check = OpenWaveSource(path);
    return !IsInvalid(check) && check->sampleRate == kLevelledRate && check->channels == 1 &&
           check->GetLength() == frames;
}

}  // namespace

LevelOutcome LevelRecording(const std::string& path, const LevelHooks& hooks) {
    // A recording deleted before its turn (a message too short to keep, or
    // one its owner deleted) is gone, not faulty.
    const auto original = StampOf(path);
    if (!original) {
        std::error_code error;
        const bool present = std::filesystem::exists(path, error);
        return !present && !error ? LevelOutcome::Gone : LevelOutcome::NotAudio;
    }
    LSoundSource source = OpenWaveSource(path);
    if (IsInvalid(source))
        return LevelOutcome::NotAudio;
    LSPConvChannels(1).Apply(source, LSoundSource(source));

    ResultFile result(CreateFileBeside(path));
    if (result.Path().empty())
        return LevelOutcome::Failed;
    const int64_t frames = LevelInto(std::move(source), result.Path(), hooks);
    if (hooks.stopRequested())
        return LevelOutcome::Stopped;
    if (frames < 0 || !IsCompleteResult(result.Path(), frames))
        return LevelOutcome::Failed;

    while (IsFileInUse(path)) {
        hooks.inUse();
        if (hooks.waitForStop(kInUseRetryMs))
            return LevelOutcome::Stopped;
    }
    const auto now = StampOf(path);
    if (!now)
        return LevelOutcome::Gone;
    if (!now->SameContent(*original))
        return LevelOutcome::Changed;
    if (!ReplaceFile(result.Path(), path, now->mode))
        return LevelOutcome::Failed;
    result.Release();
    return LevelOutcome::Replaced;
}

}  // namespace orvia
