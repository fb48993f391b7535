#include "ui/ogm/new_audio_conversion.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "audio/file_conversion.h"
#include "audio/mp3/mp3_source.h"
#include "audio/wave_source.h"
#include "engine/recording_leveller.h"
#include "platform/thread/thread_affinity.h"
#include "ui/framework/progress_dialog.h"
#include "ui/framework/questions.h"
#include "ui/ogm/ogm_messages.h"

namespace orvia {
namespace {

constexpr uint32_t kLineRate = 8000;

LSoundSource OpenInput(const std::string& input) {
    LSoundSource source = OpenWaveSource(input);
    if (IsInvalid(source))
        source = OpenMP3Source(input);
    return IsInvalid(source) ? LSoundSource() : source;
}

}  // namespace

NewAudioResult ConvertNewAudio(QWidget* parent, const std::string& input,
                               const std::string& recording, RecordingLeveller& leveller) {
    ORVIA_ASSERT_MAIN_THREAD();
    const LSoundSource source = OpenInput(input);
    if (!source) {
        CurrentQuestions().Ask(parent, NewAudioNotReadable(input));
        return NewAudioResult::NotReadable;
    }
    bool cancelled = false;
    bool written = false;
    {
        LProgressDialog progress(parent, "Process Audio File", "Process Audio", "Please wait...");
        const ConversionStop stop = [&] { return cancelled = cancelled || progress.Cancelled(); };
        const ConversionProgress shown = [&](int32_t done, int32_t length) {
            progress.SetPercent(length > 0 ? static_cast<int>(int64_t{done} * 100 / length) : 100);
        };
        written =
            WriteConvertedFile(source, WaveFormat::Pcm16(1, kLineRate), recording, stop, shown);
    }
    if (cancelled)
        return NewAudioResult::Cancelled;
    if (!written) {
        CurrentQuestions().Ask(parent, NewAudioNotWritten(recording));
        return NewAudioResult::NotWritten;
    }
    leveller.Enqueue(recording);
    return NewAudioResult::Converted;
}

std::string MakeTemporaryWave(const std::string& besidePath, const std::string& stem) {
    const std::size_t slash = besidePath.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : besidePath.substr(0, slash + 1);
    std::string pattern = folder + "." + stem + "-XXXXXX.wav";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkstemps(buffer.data(), 4);
    if (fd < 0)
        return {};
    ::close(fd);
    return buffer.data();
}

}  // namespace orvia
