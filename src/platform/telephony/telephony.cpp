#include "platform/telephony/telephony.h"

#include "platform/text/ascii_text.h"

#include <map>
#include <mutex>

#include <algorithm>
#include <cctype>

namespace orvia {
namespace {

std::mutex& RegistryMutex() {
    static std::mutex mutex;
    return mutex;
}

std::map<std::string, TelephonyDeviceFactory>& Registry() {
    static std::map<std::string, TelephonyDeviceFactory> registry;
    return registry;
}

}  // namespace

void RegisterTelephonyProvider(const std::string& type, TelephonyDeviceFactory factory) {
    std::lock_guard<std::mutex> guard(RegistryMutex());
    Registry()[AsciiLower(type)] = std::move(factory);
}

bool HasTelephonyProvider(const std::string& type) {
    std::lock_guard<std::mutex> guard(RegistryMutex());
    return Registry().count(AsciiLower(type)) != 0;
}

std::string SettingOf(const TelephonySettings& settings, const std::string& key,
                      const std::string& def) {
    const std::string wanted = AsciiLower(key);
    for (const auto& [k, v] : settings)
        if (AsciiLower(k) == wanted)
            return v;
    return def;
}

TelephonyDevices TelephonyDevices::Build(
    const std::vector<std::pair<std::string, TelephonySettings>>& sections) {
    TelephonyDevices devices;
    for (const auto& [section, settings] : sections) {
        const std::string type = AsciiLower(SettingOf(settings, "type"));
        TelephonyDeviceFactory factory;
        {
            std::lock_guard<std::mutex> guard(RegistryMutex());
            auto it = Registry().find(type);
            if (it != Registry().end())
                factory = it->second;
        }
        if (!factory) {
            devices.problems_.push_back("[" + section + "]: unknown device type \"" + type + "\"");
            continue;
        }
        std::string error;
        auto device = factory(section, settings, &error);
        if (!device) {
            devices.problems_.push_back(
                "[" + section + "]: " + (error.empty() ? "the device cannot be used" : error));
            continue;
        }
        devices.devices_.push_back(std::move(device));
    }
    return devices;
}

TelephonyDevice* TelephonyDevices::Device(int id) const {
    if (id < 0 || static_cast<std::size_t>(id) >= devices_.size())
        return nullptr;
    return devices_[static_cast<std::size_t>(id)].get();
}

}  // namespace orvia
