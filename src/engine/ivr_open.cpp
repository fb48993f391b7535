// IVRCMain: the "open" entry effect of an OGM (a file or URL for the
// desktop, or a plug-in process) and the plug-in's output read back into call
// variables.
#include "engine/ivr_main.h"

#include "engine/form_data_p.h"
#include "engine/ogm_files.h"

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

void IVRCMain::ReadPluginOutput() {
    if (!plugin_.IsOpen())
        return;
    if (!ReadOgmBool("openplugin", false)) {
        plugin_.Close();
        return;
    }
    const std::string output = plugin_.ReadAndClose(PluginReadBoundMs());
    for (const auto& [name, value] : DecodeFormPairs(output))
        variables_.Set(name, value);
}

}  // namespace orvia
