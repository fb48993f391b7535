// IVRCMain: the "open" entry effect of an OGM (a file or URL for the
// desktop, or a plug-in process) and the plug-in's output read back into call
// variables.
#include "engine/ivr_main.h"

#include "engine/form_data_p.h"
#include "engine/ogm_files.h"
#include "platform/diagnostics/diagnostics.h"

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

void IVRCMain::ReadPluginOutput() {
    if (!plugin_.IsOpen())
        return;
    if (!ReadOgmBool("openplugin", false)) {
        plugin_.Close();
        return;
    }
    bool timedOut = false;
    const std::string output = plugin_.ReadAndClose(PluginReadBoundMs(), &timedOut);
    if (timedOut)
        ReportWarning("engine", LineLabel() + ": the plug-in " + pluginCommand_ + " of " +
                                    OgmLabel() + " gave no output within " +
                                    std::to_string(PluginReadBoundMs()) +
                                    " ms; no call variable was set");
    for (const auto& [name, value] : DecodeFormPairs(output))
        variables_.Set(name, value);
}

}  // namespace orvia
