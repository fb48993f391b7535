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

struct Provider {
    TelephonyDeviceFactory factory;
    std::vector<std::string> keys;
};

std::map<std::string, Provider>& Registry() {
    static std::map<std::string, Provider> registry;
    return registry;
}

std::string KnownTypes() {
    std::string list;
    for (const std::string& type : TelephonyProviderTypes())
        list += (list.empty() ? "" : ", ") + type;
    return list;
}

}  // namespace

void RegisterTelephonyProvider(const std::string& type, TelephonyDeviceFactory factory,
                               std::vector<std::string> keys) {
    std::lock_guard<std::mutex> guard(RegistryMutex());
    Registry()[AsciiLower(type)] = Provider{std::move(factory), std::move(keys)};
}

std::vector<std::string> TelephonyProviderTypes() {
    std::lock_guard<std::mutex> guard(RegistryMutex());
    std::vector<std::string> types;
    for (const auto& [type, provider] : Registry())
        types.push_back(type);
    return types;
}

std::vector<std::string> TelephonyProviderKeys(const std::string& type) {
    std::lock_guard<std::mutex> guard(RegistryMutex());
    auto it = Registry().find(AsciiLower(type));
    return it == Registry().end() ? std::vector<std::string>{} : it->second.keys;
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
                factory = it->second.factory;
        }
        if (!factory) {
            devices.problems_.push_back("[" + section + "]: " +
                                        (type.empty() ? std::string("no \"type\" key")
                                                      : "unknown device type \"" + type + "\"") +
                                        " (known types: " + KnownTypes() + ")");
            continue;
        }
        std::string error;
        TelephonyDeviceList made = factory(section, settings, &error);
        if (made.empty()) {
            devices.problems_.push_back(
                "[" + section + "]: " + (error.empty() ? "the device cannot be used" : error));
            continue;
        }
        for (auto& device : made)
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
