#include "ui/record/desktop_new_audio.h"

#include <QWidget>
#include <cstdio>

#include "audio/wave_source.h"
#include "platform/diagnostics/diagnostics.h"
#include "store/profile_values.h"
#include "store/settings_store.h"
#include "ui/record/record_dialog.h"
#include "ui/record/record_params.h"
#include "ui/speech/tts_input_dialog.h"

namespace orvia {

bool DesktopNewAudio::Record(QWidget* parent, const std::string& wavePath) {
    LRecordParams params;
    ReadRecordSettings(&params);
    params.flags = LRecordParams::kReadOnlyName | LRecordParams::kAutoTrim;
    params.path = wavePath;
    params.title = parent != nullptr ? parent->window()->windowTitle().toStdString() : "";
    params.sampleRate = 8000;
    params.channels = 1;
    int result;
    {
        LRecordDlg dialog(parent, params);
        result = dialog.Exec();
    }
    // Record Next ends the dialog with the take finished: it is kept too.
    const bool kept = result == LRecordDlg::kAccepted || result == LRecordDlg::kRecordNext;
    // The take is kept either way; only the devices and levels to offer next
    // time are lost when settings.ini cannot be written.
    if (kept && !WriteRecordSettings(params))
        ReportWarning(
            "ui", "the record devices and levels could not be saved in " + Store().SettingsFile());
    const LSoundSource recorded = kept ? OpenWaveSource(wavePath) : LSoundSource();
    if (!IsInvalid(recorded) && recorded->GetLength() > 0)
        return true;
    std::remove(wavePath.c_str());
    return false;
}

bool DesktopNewAudio::Synthesize(QWidget* parent, const std::string& wavePath) {
    const std::string& settings = Store().SettingsFile();
    int engine = ReadProfileInt(settings, "settings", "preferredspeaker", 0);
    LTTSInputDialog dialog(parent, text_, engine, wavePath);
    if (!dialog.Run())
        return false;
    if (!WriteProfileInt(settings, "settings", "preferredspeaker", engine))
        ReportWarning("ui", "the chosen voice could not be saved in " + settings);
    return true;
}

DesktopNewAudio& DesktopNewAudioSources() {
    static DesktopNewAudio sources;
    return sources;
}

}  // namespace orvia
