#include "ui/speech/tts_wave_dialog.h"

#include <QObject>
#include <algorithm>

#include "speech/speech_file.h"
#include "ui/framework/progress_dialog.h"
#include "ui/framework/questions.h"
#include "ui/speech/speech_messages.h"

namespace orvia {

bool SynthesizeWithProgress(QWidget* parent, const std::string& text, int engineIndex,
                            const std::string& path) {
    SpeechResult result;
    {
        LProgressDialog progress(parent, QObject::tr("Synthesize Voice"),
                                 QObject::tr("Synthesizing Voice"), QObject::tr("Please wait..."));
        // The text with its terminating character counts as its length.
        const double length = static_cast<double>(QString::fromStdString(text).size() + 1);
        const double factor = 1.0 - 10.0 / length;
        double remaining = 1.0;
        SpeechRequest request;
        request.text = text;
        request.engineIndex = engineIndex;
        request.cancelled = [&] {
            if (progress.Cancelled())
                return true;
            progress.SetPercent(static_cast<int>(std::clamp(1.0 - remaining, 0.0, 1.0) * 100));
            remaining *= factor;
            return false;
        };
        result = SynthesizeToFile(request, path);
    }
    switch (result) {
        case SpeechResult::Ok:
            return true;
        case SpeechResult::NoEngine:
        case SpeechResult::NoVoice:
            CurrentQuestions().Ask(parent, EngineNotAvailableMessage());
            return false;
        case SpeechResult::Failed:
            CurrentQuestions().Ask(parent, SpeechNotWrittenMessage(path));
            return false;
        case SpeechResult::Cancelled:
            break;
    }
    return false;
}

}  // namespace orvia
