#include "ui/settings/telephony_config.h"

#include <algorithm>

#include "line/line_application.h"
#include "platform/telephony/telephony.h"
#include "platform/text/ascii_text.h"
#include "platform/thread/thread_affinity.h"

namespace orvia {

TelephonyConfig TelephonyConfig::Read() {
    return Read(TelephonyConfigPath());
}

TelephonyConfig TelephonyConfig::Read(const std::string& path) {
    ORVIA_ASSERT_MAIN_THREAD();
    TelephonyConfig config;
    config.path_ = path;
    for (auto& section : ReadTelephonySections(path)) {
        config.sections_.push_back(AsciiLower(section.first));
        // One section at a time through the same list builder the lines use,
        // so a section gives the devices it gives them: none, one, or one per
        // channel of a SIP account (each edited through the section).
        const TelephonyDevices devices = TelephonyDevices::Build({section});
        for (std::size_t id = 0; id < devices.Count(); ++id) {
            const TelephonyDevice& device = *devices.Device(static_cast<int>(id));
            config.devices_.push_back({section.first, AsciiLower(SettingOf(section.second, "type")),
                                       device.Name(), device.IsVoiceCapable()});
        }
    }
    return config;
}

const ConfiguredDevice* TelephonyConfig::Device(int id) const {
    if (id < 0 || id >= Count())
        return nullptr;
    return &devices_[static_cast<std::size_t>(id)];
}

std::string TelephonyConfig::Name(int id) const {
    const ConfiguredDevice* device = Device(id);
    return device ? device->name : std::string();
}

bool TelephonyConfig::IsVoiceCapable(int id) const {
    const ConfiguredDevice* device = Device(id);
    return device && device->voiceCapable;
}

std::string TelephonyConfig::NewSectionName(const std::string& type) const {
    for (int n = 1;; ++n) {
        const std::string name = AsciiLower(type) + std::to_string(n);
        if (std::find(sections_.begin(), sections_.end(), name) == sections_.end())
            return name;
    }
}

}  // namespace orvia
