#include "speech/speech_file.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "audio/batch_copy.h"
#include "audio/pcm_file_sink.h"
#include "audio/rate_conversion.h"
#include "audio/wave_source.h"
#include "platform/files/file_modes.h"

namespace orvia {
namespace {

// A file in the destination's folder, removed unless it was renamed away.
class TemporaryFile {
public:
    // Reserves ".<name>.XXXXXX" beside path by creating it, with path's mode
    // or, for a new recording, the private mode of recordings.
    explicit TemporaryFile(const std::string& path) {
        std::string reserved;
        const int fd = CreateReplacement(path, FileAccess::Private, &reserved);
        if (fd < 0)
            return;
        ::close(fd);
        path_ = reserved;
    }
    ~TemporaryFile() {
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& Path() const { return path_; }
    bool Reserved() const { return !path_.empty(); }

    // Renames the file to destination; it is no longer removed afterwards.
    bool MoveTo(const std::string& destination) {
        if (path_.empty() || std::rename(path_.c_str(), destination.c_str()) != 0)
            return false;
        path_.clear();
        return true;
    }

private:
    std::string path_;
};

// Frames of a WAVE file as read back, -1 when it does not open. The sinks
// do not report failed writes (a full disk), so each file is read back
// before it is used.
int32_t FramesInFile(const std::string& path) {
    const LSoundSource source = OpenWaveSource(path);
    return IsInvalid(source) ? -1 : source->GetLength();
}

// Speaks into file at the engine's rate; Ok when every frame arrived.
SpeechResult SpeakInto(const SpeechRequest& request, const std::string& file, int rate) {
    int32_t frames = 0;
    {
        const LSoundSink sink = CreatePCMWaveSink(file, rate, 1, 16, 0);
        if (IsInvalid(sink))
            return SpeechResult::Failed;
        const SpeechResult result = SynthesizeToSink(request, sink);
        if (result != SpeechResult::Ok)
            return result;
        if (sink->IsInvalid())  // a write failed: the file ends short
            return SpeechResult::Failed;
        frames = sink->position;
    }  // the last handle closes the file with its final header
    return FramesInFile(file) == frames ? SpeechResult::Ok : SpeechResult::Failed;
}

// Converts a mono WAVE file to another rate into target.
bool ConvertRate(const std::string& from, const std::string& target, int rate) {
    int32_t frames = 0;
    {
        LSoundSource converted;
        LSPConvertRate(rate).Apply(converted, OpenWaveSource(from));
        const LSoundSink sink = CreatePCMWaveSink(target, rate, 1, 16, 0);
        if (IsInvalid(converted) || IsInvalid(sink) || !CopySourceToSink(converted, sink) ||
            sink->IsInvalid())
            return false;
        frames = sink->position;
    }
    return FramesInFile(target) == frames;
}

}  // namespace

SpeechResult SynthesizeToFile(const SpeechRequest& request, const std::string& path,
                              int sampleRate) {
    const int engineRate = SpeechSampleRate();
    if (engineRate <= 0)
        return SpeechResult::NoEngine;
    if (sampleRate < 0 || path.empty())
        return SpeechResult::Failed;
    const int rate = sampleRate == 0 ? engineRate : sampleRate;

    TemporaryFile spoken(path);
    if (!spoken.Reserved())
        return SpeechResult::Failed;
    const SpeechResult result = SpeakInto(request, spoken.Path(), engineRate);
    if (result != SpeechResult::Ok)
        return result;
    if (rate == engineRate)
        return spoken.MoveTo(path) ? SpeechResult::Ok : SpeechResult::Failed;

    TemporaryFile converted(path);
    if (!converted.Reserved() || !ConvertRate(spoken.Path(), converted.Path(), rate))
        return SpeechResult::Failed;
    return converted.MoveTo(path) ? SpeechResult::Ok : SpeechResult::Failed;
}

SpeechResult SynthesizeToFile(const std::string& text, int engineIndex, const std::string& path) {
    SpeechRequest request;
    request.text = text;
    request.engineIndex = engineIndex;
    return SynthesizeToFile(request, path);
}

}  // namespace orvia
