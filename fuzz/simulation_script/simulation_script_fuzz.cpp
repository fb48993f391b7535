// Any bytes as a call script: the parser either accepts them or names the
// line it stopped at, and what it accepts keeps to the language's limits.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/simulate/simulation_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // Voice files are not read: any name below "ok" loads one short voice.
    const orvia::VoiceLoader voices = [](const std::string& path, std::vector<int16_t>* samples,
                                         std::string* error) {
        if (path.find("ok") == std::string::npos) {
            *error = "missing";
            return false;
        }
        samples->assign(80, 1);
        return true;
    };
    orvia::SimulationScript script;
    std::string error;
    if (!orvia::ParseSimulationScript(text, "/scripts/", voices, &script, &error)) {
        if (error.empty() || error.find(':') == std::string::npos)
            std::abort();
        return 0;
    }
    if (script.lineIndex < 0 || script.lineIndex > 63 || script.call.rings < 0 ||
        script.call.limitMs < 0 || script.call.limitMs > 86400000)
        std::abort();
    for (const orvia::CallerAction& action : script.call.actions) {
        if (action.atMs < 0 || action.atMs > 86400000)
            std::abort();
        for (char key : action.keys)
            if (!orvia::IsScriptedKey(key))
                std::abort();
        if (action.kind == orvia::CallerActionKind::Say && !action.voice)
            std::abort();
    }
    return 0;
}
