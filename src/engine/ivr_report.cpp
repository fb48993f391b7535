// IVRCMain: what the engine tells the program's events about its calls:
// answered and declined calls, calls ended, and files that did not play.
#include <filesystem>

#include "engine/ivr_main.h"
#include "engine/line_audio.h"
#include "engine/line_settings_p.h"
#include "engine/ogm_files.h"
#include "line/vline.h"
#include "platform/diagnostics/diagnostics.h"
#include "platform/time/clock.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {

std::string IVRCMain::LineLabel() const {
    const std::string name = LineName(section_);
    return name == section_ ? name : name + " [" + section_ + "]";
}

std::string IVRCMain::CallLabel() const {
    std::string caller;
    if (Line()) {
        caller = Line()->CallerNumber();
        if (!Line()->CallerName().empty())
            caller += (caller.empty() ? "" : " ") + Line()->CallerName();
    }
    return "call from " + (caller.empty() ? std::string("an unknown caller") : caller);
}

std::string IVRCMain::OgmLabel() const {
    return "OGM \"" + std::filesystem::path(currentOgm_).stem().string() + "\"";
}

void IVRCMain::ReportUnplayable(const std::string& what, const std::string& path, bool mp3) {
    if (!unplayableSaid_.insert(path).second)
        return;
    const std::optional<std::string> reason = UnplayableReason(path, mp3);
    ReportWarning("engine", LineLabel() + ": " + what + " " + path +
                                " did not play: " + reason.value_or("the audio layer refused it"));
}

void IVRCMain::ReportAnswer(bool answered, bool answeringOn, const std::string& ogmName) {
    if (answered) {
        ReportInfo("engine", LineLabel() + ": " + CallLabel() + " answered with " + OgmLabel());
        return;
    }
    if (!answeringOn) {
        const bool switchedOff = !ReadProfileBool(Store().SettingsFile(), "state", "on", true);
        ReportInfo("engine", LineLabel() + ": " + CallLabel() + " not answered: " +
                                 (switchedOff ? "answering is switched off"
                                              : "auto-hours do not answer at this time"));
        return;
    }
    const std::string definition = OgmDefinitionPath(ogmName);
    if (!std::filesystem::exists(definition)) {
        ReportWarning("engine", LineLabel() + ": " + CallLabel() + " not answered: the OGM \"" +
                                    ogmName + "\" does not exist (no " + definition + ")");
        return;
    }
    ReportInfo("engine", LineLabel() + ": " + CallLabel() + " not answered: the OGM \"" + ogmName +
                             "\" (or one it leads to) may not be used now");
}

void IVRCMain::ReportCallEnd() {
    if (callStart_ == 0)
        return;
    const int64_t seconds = LocalNow() - callStart_;
    ReportInfo("engine", LineLabel() + ": " + CallLabel() + " ended after " +
                             std::to_string(seconds < 0 ? 0 : seconds) + " s");
    callStart_ = 0;
    unplayableSaid_.clear();
}

}  // namespace orvia
