#include "delivery/message_compression.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "audio/channel_conversion.h"
#include "audio/codec/format_choice.h"
#include "audio/peak_limiter.h"
#include "audio/rate_conversion.h"
#include "audio/wave_sink.h"
#include "audio/wave_source.h"
#include "delivery/message_files.h"
#include "platform/file_open.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

// A new empty file "tmp" plus six characters in the audio file's folder, so
// the finished file can take the audio file's name with one rename on the
// same file system. Removed with the object unless Keep was called.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& beside) {
        std::string pattern = FolderOf(beside) + "tmpXXXXXX";
        const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0)
            return;
        // The replacement keeps the permissions of the file it replaces.
        struct stat original {};
        if (::stat(beside.c_str(), &original) == 0)
            ::fchmod(fd, original.st_mode & 07777);
        ::close(fd);
        path_ = pattern;
    }
    ~TemporaryFile() {
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool Made() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }
    void Keep() { path_.clear(); }

private:
    std::string path_;
};

// The source converted to the sink's channels, rate and sample range; each
// stage only where it changes something.
LSoundSource ConvertForSink(const LSoundSource& source, const LSoundSinkBase& sink) {
    LSoundSource channels;
    LSPConvChannels(sink.channels).Apply(channels, source);
    LSoundSource rate = channels;
    if (!IsInvalid(channels) && static_cast<uint32_t>(channels->sampleRate) != sink.sampleRate)
        LSPConvertRate(static_cast<int32_t>(sink.sampleRate)).Apply(rate, channels);
    LSoundSource limited;
    LSPPeakLimit(static_cast<int32_t>(sink.maxSample)).Apply(limited, rate);
    return limited;
}

// Copies the whole source in blocks of 8192 frames through one buffer. The
// last block is cut at the source's length, which is read after the block
// (a compressed source knows its exact length only once it has decoded its
// end); a length that is an exact multiple of the block keeps its last block.
bool CopyInBlocks(LSoundSourceBase& source, LSoundSinkBase& sink, const StopCheck& stop,
                  const ConvertProgress& progress) {
    std::vector<int32_t> block(static_cast<std::size_t>(kMaxBlockFrames) * source.channels);
    for (;;) {
        if (StopNow(stop))
            return false;
        const int32_t before = source.GetPosition();
        source.Read(block.data(), kMaxBlockFrames);
        const int32_t length = source.GetLength();
        if (source.GetPosition() >= length) {
            const int32_t rest = std::clamp(length - before, 0, kMaxBlockFrames);
            if (rest > 0)
                sink.Write(block.data(), rest);
            if (progress)
                progress(length, length);
            return true;
        }
        sink.Write(block.data(), kMaxBlockFrames);
        if (progress)
            progress(source.GetPosition(), length);
    }
}

// True when the finished WAVE file holds everything its header declares (a
// write that failed part-way, on a full disk say, leaves it shorter), after
// its data has reached the disk.
bool IsCompleteOnDisk(const std::string& path) {
    const int fd = OpenRegularFile(path, O_RDONLY);
    if (fd < 0)
        return false;
    struct stat st {};
    unsigned char head[8] = {};
    bool ok = ::fstat(fd, &st) == 0 && ::pread(fd, head, sizeof head, 0) == sizeof head &&
              std::equal(head, head + 4, "RIFF");
    if (ok) {
        const uint64_t riffSize = uint64_t{head[4]} | uint64_t{head[5]} << 8 |
                                  uint64_t{head[6]} << 16 | uint64_t{head[7]} << 24;
        ok = static_cast<uint64_t>(st.st_size) == riffSize + 8;
    }
    ok = ok && ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

bool ConvertAudioFile(const WaveFormat& format, const std::string& audioPath, const StopCheck& stop,
                      const ConvertProgress& progress) {
    LSoundSource source = OpenWaveSource(audioPath);
    if (IsInvalid(source))
        return false;
    TemporaryFile temporary(audioPath);
    if (!temporary.Made())
        return false;
    {
        const LSoundSink sink = CreateWaveSink(temporary.Path(), format);
        if (IsInvalid(sink))
            return false;
        const LSoundSource chain = ConvertForSink(source, *sink);
        source.reset();
        if (IsInvalid(chain) || !CopyInBlocks(*chain, *sink, stop, progress))
            return false;
    }  // the last handles go: the sink completes its file
    if (!IsCompleteOnDisk(temporary.Path()))
        return false;
    if (::rename(temporary.Path().c_str(), audioPath.c_str()) != 0)
        return false;
    temporary.Keep();
    return true;
}

WaveFormat ReadCompressionFormat() {
    return ReadFormatChoice(FormatChoicePath(Store().SettingsFile()));
}

void CompressMessage(const std::string& messageIni, const StopCheck& stop) {
    if (ReadProfileBool(messageIni, "message", "compressed", false))
        return;
    const WaveFormat format = ReadCompressionFormat();
    const std::string audioPath = WithExtension(messageIni, ".wav");
    if (!WriteProfileBool(messageIni, "message", "compressed", true))
        return;
    if (!ConvertAudioFile(format, audioPath, stop) && StopNow(stop))
        WriteProfileBool(messageIni, "message", "compressed", false);
}

}  // namespace orvia
