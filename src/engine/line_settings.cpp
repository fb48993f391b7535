#include "engine/line_settings_p.h"

#include "store/profile.h"
#include "store/settings_store.h"

namespace orvia {

std::string LineSectionName(int lineIndex) {
    return "line" + std::to_string(lineIndex);
}

std::string LineName(std::string_view section) {
    return ReadProfileString(Store().SettingsFile(), section, "name", section);
}

}  // namespace orvia
