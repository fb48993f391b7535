#include "ui/ogm/ogm_references.h"

#include <vector>

#include "engine/ogm_files.h"
#include "platform/text/ascii_text.h"
#include "store/profile.h"
#include "store/settings_store.h"

namespace orvia {

int RenameAnswerOgmSettings(const std::string& from, const std::string& to) {
    const std::string& settings = Store().SettingsFile();
    std::vector<std::pair<std::string, std::string>> keys = {{"settings", "ogm"}};
    for (const std::string& section : ReadProfileSectionNames(settings)) {
        const std::string lower = AsciiLower(section);
        if (lower == "autohours") {
            keys.emplace_back(section, "duringogm");
            keys.emplace_back(section, "afterogm");
        } else if (lower.rfind("line", 0) == 0 && lower.size() > 4 &&
                   lower.find_first_not_of("0123456789", 4) == std::string::npos) {
            keys.emplace_back(section, "ogm");
        }
    }
    int changed = 0;
    for (const auto& [section, key] : keys) {
        if (ReadProfileString(settings, section, key, kDefaultOgmName) == from &&
            WriteProfileString(settings, section, key, to))
            ++changed;
    }
    return changed;
}

}  // namespace orvia
