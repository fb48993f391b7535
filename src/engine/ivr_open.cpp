// IVRCMain: the "open" entry effect of an OGM (a file or URL for the
// desktop, or a plug-in process) and the plug-in's output read back into call
// variables.
#include "engine/ivr_main.h"

#include <cstdio>

#include "engine/form_data.h"
#include "engine/line_settings.h"
#include "engine/ogm_files.h"
#include "line/vline.h"
#include "platform/diagnostics.h"
#include "platform/dispatcher.h"
#include "platform/thread_affinity.h"

namespace orvia {

void IVRCMain::RunOpenEffect() {
    if (!ReadOgmBool("open", false))
        return;
    const std::string text = ReadOgm("openfile", "");
    if (!ReadOgmBool("openplugin", false)) {
        // A path or URL that caller values would bend is not opened.
        std::optional<std::string> target = ExpandFullPath(text, Context());
        if (target && !target->empty())
            OpenDocument(*target);
        return;
    }
    plugin_.Close();
    if (std::optional<std::vector<std::string>> args = ExpandCommandLine(text, Context()))
        plugin_.Start(*args);
}

bool IVRCMain::ReadPluginOutput() {
    if (!plugin_.IsOpen())
        return false;
    if (!ReadOgmBool("openplugin", false)) {
        plugin_.Close();
        return false;
    }
    Dispatcher* dispatcher = CurrentDispatcher();
    if (!dispatcher || !PluginOutputInBackground()) {
        UsePluginOutput(plugin_.ReadAndClose(PluginReadBoundMs()));
        return false;
    }
    // The end of the play is handled once the output is in; the main thread
    // (and every other line) goes on meanwhile.
    waitingForPlugin_ = true;
    plugin_.ReadInBackground(PluginReadBoundMs(), *dispatcher,
                             [this](const PluginOutput& output) { OnPluginOutput(output); });
    return true;
}

void IVRCMain::OnPluginOutput(const PluginOutput& output) {
    ORVIA_ASSERT_MAIN_THREAD();
    waitingForPlugin_ = false;
    UsePluginOutput(output);
    HandlePlayComplete();
    // Keys pressed while the output was awaited, in order.
    std::string keys;
    keys.swap(heldKeys_);
    for (char key : keys) {
        if (Line())
            Line()->OnDigit(key);
    }
}

void IVRCMain::UsePluginOutput(const PluginOutput& output) {
    const std::string program = plugin_.Program();
    plugin_.Close();
    if (output.timedOut) {
        char bound[32];
        std::snprintf(bound, sizeof bound, "%.1f", PluginReadBoundMs() / 1000.0);
        ReportWarning("engine", LineName(section_) + ": the plug-in " + program +
                                    " gave no output within " + bound +
                                    " s; the call went on without its values");
    }
    for (const auto& [name, value] : DecodeFormPairs(output.data))
        variables_.Set(name, value);
}

}  // namespace orvia
