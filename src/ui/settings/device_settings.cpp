#include "ui/settings/device_settings.h"

#include "ui/settings/settings_messages.h"
#include "ui/settings/simulated_device_dialog.h"
#include "ui/settings/sip_device_dialog.h"
#include "ui/settings/telephony_config.h"

namespace orvia {

bool EditDeviceSettings(QWidget* parent, const TelephonyConfig& config, int deviceId) {
    const ConfiguredDevice* device = config.Device(deviceId);
    if (device == nullptr)
        return false;
    if (device->type == "sip") {
        SipDeviceDialog dialog(parent, config.Path(), device->section);
        return dialog.Run();
    }
    if (device->type == "simulated") {
        SimulatedDeviceDialog dialog(parent, config.Path(), device->section);
        return dialog.Run();
    }
    CurrentQuestions().Ask(parent,
                           DeviceTypeNotEditableMessage(device->name, device->type, config.Path()));
    return false;
}

bool AddSipDevice(QWidget* parent, const TelephonyConfig& config) {
    SipDeviceDialog dialog(parent, config.Path(), config.NewSectionName("sip"));
    return dialog.Run();
}

}  // namespace orvia
