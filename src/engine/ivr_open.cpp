// IVRCMain: the "open" entry effect of an OGM (a file or URL for the
// desktop, or a plug-in process) and the plug-in's output read back into call
// variables.
#include "engine/ivr_main.h"

#include <cstdio>

#include "engine/form_data_p.h"
#include "engine/line_settings_p.h"
#include "engine/ogm_files.h"
#include "line/vline.h"
#include "platform/diagnostics/diagnostics.h"
#include "platform/dispatch/dispatcher.h"
#include "platform/thread/thread_affinity.h"

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
    std::optional<std::vector<std::string>> args = ExpandCommandLine(text, Context());
    if (!args) {
        ReportError("engine", LineLabel() + ": the plug-in of " + OgmLabel() +
                                  " was not started: its command line \"" + text +
                                  "\" names no program, or a caller's value would change it");
        return;
    }
    pluginCommand_ = args->front();
    const ProcessStartResult result = plugin_.Start(*args);
    if (result != ProcessStartResult::Started)
        ReportError("engine", LineLabel() + ": the plug-in " + pluginCommand_ + " of " +
                                  OgmLabel() +
                                  " did not start: " + DescribeProcessStartResult(result));
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
    plugin_.Close();
    if (output.timedOut)
        ReportWarning("engine", LineLabel() + ": the plug-in " + pluginCommand_ + " of " +
                                    OgmLabel() + " gave no output within " +
                                    std::to_string(PluginReadBoundMs()) +
                                    " ms; no call variable was set");
    for (const auto& [name, value] : DecodeFormPairs(output.data))
        variables_.Set(name, value);
}

}  // namespace orvia
