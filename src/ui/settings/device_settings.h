// The settings dialog of a telephony device, by its type ("Configure TAPI
// Device Hardware..." of the line dialog), and adding a SIP device.
//
// Main thread only.
#pragma once

class QWidget;

namespace orvia {

class TelephonyConfig;

// Opens the dialog for the device's type (SIP, simulated); other types are
// explained in a message. True when new settings were written.
bool EditDeviceSettings(QWidget* parent, const TelephonyConfig& config, int deviceId);

// The SIP device dialog for a new section of the configuration; true when
// the device was added.
bool AddSipDevice(QWidget* parent, const TelephonyConfig& config);

}  // namespace orvia
