#include "ui/settings/device_section.h"

#include <algorithm>

#include "platform/text/ascii_text.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

bool Named(const std::string& a, const std::string& b) {
    return AsciiLower(a) == AsciiLower(b);
}

}  // namespace

TelephonySettings MergedDeviceSection(const std::string& path, const std::string& section,
                                      const std::string& type, const DeviceKeyValues& values) {
    TelephonySettings merged = {{"type", type}};
    for (const auto& [key, value] : ReadProfileSection(path, section)) {
        const bool replaced = Named(key, "type") ||
                              std::any_of(values.begin(), values.end(),
                                          [&key](const auto& kv) { return Named(kv.first, key); });
        if (!replaced)
            merged.emplace_back(key, value);
    }
    for (const auto& [key, value] : values) {
        if (!value.empty())
            merged.emplace_back(key, value);
    }
    return merged;
}

bool WriteDeviceSection(const std::string& path, const std::string& section,
                        const std::string& type, const DeviceKeyValues& values) {
    std::vector<ProfileKeyEdit> edits = {{"type", type}};
    for (const auto& [key, value] : values)
        edits.push_back({key, value.empty() ? std::nullopt : std::optional<std::string>(value)});
    return WriteProfileKeys(path, section, edits) &&
           WriteProfileBool(Store().SettingsFile(), "state", "restart", true);
}

}  // namespace orvia
