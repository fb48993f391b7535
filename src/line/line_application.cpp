#include "line/line_application.h"

#include <utility>

#include "platform/diagnostics/diagnostics.h"
#include "platform/files/text_file.h"
#include "platform/scripted/scripted_device.h"
#include "platform/text/utf8_text.h"
#include "platform/thread/thread_affinity.h"
#include "store/profile.h"
#include "store/settings_store.h"

namespace orvia {

LLineApplication& LLineApplication::Instance() {
    static LLineApplication instance;
    return instance;
}

std::string TelephonyConfigPath() {
    return Store().DataFolder() + "telephony.ini";
}

std::vector<std::pair<std::string, TelephonySettings>> ReadTelephonySections(
    const std::string& path) {
    std::vector<std::pair<std::string, TelephonySettings>> sections;
    for (const std::string& name : ReadProfileSectionNames(path))
        sections.emplace_back(name, ReadProfileSection(path, name));
    return sections;
}

bool LLineApplication::Initialise() {
    ORVIA_ASSERT_MAIN_THREAD();
    if (initialised_)
        return true;
    const std::string path = TelephonyConfigPath();
    devices_ = TelephonyDevices::Build(ReadTelephonySections(path));
    initialised_ = true;
    fromConfiguration_ = true;
    if (!FileIsPresent(path))
        ReportWarning("line", path + " does not exist: there are no telephone line devices");
    // Each section that gave no device, with the reason (an unknown type, a
    // key the provider cannot use).
    for (const std::string& problem : devices_.Problems())
        ReportError("line", path + " " + problem + "; that device is left out");
    return true;
}

void LLineApplication::UseDevices(TelephonyDevices devices) {
    ORVIA_ASSERT_MAIN_THREAD();
    devices_ = std::move(devices);
    initialised_ = true;
    fromConfiguration_ = false;
}

void LLineApplication::Shutdown() {
    ORVIA_ASSERT_MAIN_THREAD();
    devices_ = TelephonyDevices();
    initialised_ = false;
    fromConfiguration_ = false;
}

void LLineApplication::Refresh() {
    ORVIA_ASSERT_MAIN_THREAD();
    if (!fromConfiguration_)
        return;
    Shutdown();
    Initialise();
}

uint32_t LLineApplication::DeviceCount() const {
    return initialised_ ? static_cast<uint32_t>(devices_.Count()) : 0;
}

TelephonyDevice* LLineApplication::Device(int device) {
    return initialised_ ? devices_.Device(device) : nullptr;
}

std::string LLineApplication::GetDeviceName(int device) {
    if (!Initialise())
        return {};
    TelephonyDevice* found = Device(device);
    if (!found)
        return {};
    return CutUtf8(found->Name(), kDeviceNameMax);
}

bool LLineApplication::IsVoiceCapable(int device) {
    if (!Initialise())
        return false;
    TelephonyDevice* found = Device(device);
    return found && found->IsVoiceCapable();
}

}  // namespace orvia
