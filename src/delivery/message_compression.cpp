#include "delivery/message_compression.h"

#include "audio/codec/format_choice.h"
#include "audio/file_conversion.h"
#include "audio/wave_source.h"
#include "engine/mailbox_files.h"
#include "platform/files/file_open.h"
#include "platform/files/path_names.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {

bool ConvertAudioFile(const WaveFormat& format, const std::string& audioPath, const StopCheck& stop,
                      const ConvertProgress& progress) {
    return WriteConvertedFile(OpenWaveSource(audioPath), format, audioPath, stop, progress);
}

WaveFormat ReadCompressionFormat() {
    return ReadFormatChoice(FormatChoicePath(Store().SettingsFile()));
}

void CompressMessage(const std::string& messageIni, const StopCheck& stop) {
    if (ReadProfileBool(messageIni, "message", "compressed", false))
        return;
    const WaveFormat format = ReadCompressionFormat();
    const std::string audioPath = MessageAudioPath(messageIni);
    if (!WriteProfileBool(messageIni, "message", "compressed", true))
        return;
    if (!ConvertAudioFile(format, audioPath, stop) && StopNow(stop))
        WriteProfileBool(messageIni, "message", "compressed", false);
}

}  // namespace orvia
