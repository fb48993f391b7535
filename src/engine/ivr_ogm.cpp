// IVRCMain: entering, playing and repeating OGMs, prompts and the line audio.
#include "engine/ivr_main.h"

#include <algorithm>

#include "engine/line_audio.h"
#include "engine/line_settings_p.h"
#include "engine/ogm_files.h"
#include "engine/ogm_select_p.h"
#include "line/vline.h"
#include "platform/diagnostics/diagnostics.h"
#include "platform/files/path_names.h"
#include "platform/files/text_file.h"
#include "platform/text/ascii_text.h"
#include "platform/time/clock.h"
#include "store/call_log.h"
#include "store/profile.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

constexpr const char* kDefaultLogLine = "%date%,%time%,%linename%,%cid%";

// OGMs a call may enter in a row without anything to hear: no recording or
// silence played, no key pressed, nothing recorded.
constexpr int kMostSilentSteps = 32;

}  // namespace

bool IVRCMain::SelectOGM(std::string_view name) {
    std::optional<std::string> path = ResolveOGM(name, Context(), LocalNow());
    if (!path)
        return false;
    currentOgm_ = std::move(*path);
    return true;
}

void IVRCMain::RunEntryEffects() {
    const TemplateContext context = Context();
    if (ReadOgmBool("log", false)) {
        // A log name that would leave the Logs folder loses the entry.
        if (std::optional<std::string> name = ExpandFileName(ReadOgm("logname", ""), context))
            WriteSpecialLog(Store().Logs() + *name + ".txt",
                            ExpandTemplate(ReadOgm("logline", kDefaultLogLine), context));
    }
    if (ReadOgmBool("announcecall", false)) {
        if (std::optional<std::string> path = ExpandFullPath(ReadOgm("announceplay", ""), context))
            Send(kMsgAnnounceCall, *path);
    }
    RunOpenEffect();
}

void IVRCMain::StartOGM() {
    // OGMs that lead on to each other with nothing to play would run for
    // ever in no time, holding the line: after so many in a row the call
    // ends the polite way.
    silentSteps_ = heardSinceOgm_ ? 0 : silentSteps_ + 1;
    heardSinceOgm_ = false;
    if (silentSteps_ > kMostSilentSteps) {
        silentSteps_ = 0;
        ReportWarning("engine", LineName(section_) + ": the call went through " +
                                    std::to_string(kMostSilentSteps) +
                                    " OGMs in a row without playing or recording anything "
                                    "(it was entering \"" +
                                    FileStemOf(currentOgm_) + "\"), so it was ended");
        Goodbye();
        return;
    }
    mode_ = EqualsNoCase(ReadOgm("type", ""), "enternumber") ? IVRMode::NumberEntry : IVRMode::Menu;
    state_ = IVRState::Ogm;
    counter_ = CounterValue(ReadOgmInt("repeat", 0));
    digits_.clear();
    PlayOGM();
}

void IVRCMain::PlayOGM() {
    if (currentOgm_.empty()) {
        PlaySource({});
        return;
    }
    const std::string wave = OgmFileWithExtension(currentOgm_, ".wav");
    std::optional<std::string> file = wave;
    if (ReadOgmBool("playex", false)) {
        // The stored path is expanded; the default (this OGM's own recording)
        // is used as it is. A path that caller values would bend opens nothing.
        if (std::optional<std::string> stored =
                ReadProfileValue(currentOgm_, kOgmSectionIvr, "playexfile"))
            file = ExpandFullPath(*stored, Context());
    }
    LSoundSource source;
    if (file)
        source = OpenWave(*file);
    const std::string mp3 = OgmFileWithExtension(currentOgm_, ".mp3");
    if (IsInvalid(source))
        source = OpenMp3(mp3);
    if (IsInvalid(source)) {
        // Said for the file meant to play; the MP3 stand-in only when it is there.
        ReportUnplayable("the recording of " + OgmLabel(), file.value_or(wave), false);
        if (FileIsPresent(mp3))
            ReportUnplayable("the MP3 recording of " + OgmLabel(), mp3, true);
    }
    PlaySource(source);
}

void IVRCMain::PlayPrompt(std::string_view name) {
    const std::string path = Store().SystemPrompts() + std::string(name) + ".wav";
    LSoundSource source = OpenWave(path);
    if (IsInvalid(source))
        ReportUnplayable("the system prompt", path, false);
    PlaySource(source);
}

void IVRCMain::PlaySource(const LSoundSource& source) {
    if (!Line())
        return;
    const LSoundSource chain = BuildLineAudioChain(source);
    StartAudio(!IsInvalid(source) && source->GetLength() > 0, [&] { Line()->Play(chain); });
}

void IVRCMain::WaitTicks(int64_t ticks) {
    if (!Line())
        return;
    const auto clamped = static_cast<int32_t>(std::clamp<int64_t>(ticks, 0, INT32_MAX));
    StartAudio(clamped > 0, [&] { Line()->Wait(clamped); });
}

void IVRCMain::StartAudio(bool audible, const std::function<void()>& start) {
    const uint32_t ended = audioEnded_;
    start();
    // A play the line ended before it returned never started.
    if (audible && audioEnded_ == ended)
        heardSinceOgm_ = true;
}

void IVRCMain::Goodbye() {
    state_ = IVRState::Goodbye;
    PlayPrompt("GoodBye");
}

void IVRCMain::InvalidOption() {
    state_ = IVRState::InvalidPrompt;
    PlayPrompt("InvalidOption");
}

void IVRCMain::InvalidNumber() {
    state_ = IVRState::InvalidPrompt;
    PlayPrompt("InvalidNumber");
}

}  // namespace orvia
