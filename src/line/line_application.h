// LLineApplication: the system's one registration with the telephony device
// layer. It builds the device list on first need from the telephony
// configuration file ("telephony.ini" in the data folder: one section per
// device, its "type" naming the provider), knows how many line devices there
// are and answers the questions the settings dialogs ask about a device (its
// name, whether it can carry voice). Lines open their devices through it.
//
// Device identifiers are positions in the list, 0 .. DeviceCount() - 1.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/telephony/telephony.h"

namespace orvia {

class LLineApplication {
public:
    LLineApplication() = default;
    LLineApplication(const LLineApplication&) = delete;
    LLineApplication& operator=(const LLineApplication&) = delete;

    // The process's instance.
    static LLineApplication& Instance();

    // Builds the device list from the telephony configuration the first time;
    // true from then on. A missing configuration file gives no devices. Only
    // the providers registered before the first call (the program registers
    // them all in one place at start-up) make devices.
    bool Initialise();
    bool IsInitialised() const { return initialised_; }
    // Uses a device list built elsewhere (tests, `orvia simulate`) instead
    // of the configuration.
    void UseDevices(TelephonyDevices devices);
    // Forgets the device list; the next Initialise reads the configuration
    // again. Lines must be closed first.
    void Shutdown();
    // Reads the configuration again when the list came from it (the settings
    // may have changed a device); a list given by UseDevices stays. Lines
    // must be closed first.
    void Refresh();

    // Number of line devices (0 before Initialise).
    uint32_t DeviceCount() const;
    // The device's name; empty when there is no such device.
    std::string GetDeviceName(int device);
    // True when the device can carry voice calls; false for no such device.
    bool IsVoiceCapable(int device);
    // The device, after Initialise; null for an identifier out of range.
    TelephonyDevice* Device(int device);
    // Sections of the configuration that gave no device, one text each.
    const std::vector<std::string>& Problems() const { return devices_.Problems(); }

private:
    bool initialised_ = false;
    bool fromConfiguration_ = false;
    TelephonyDevices devices_;
};

// The telephony configuration file: the data folder's "telephony.ini".
std::string TelephonyConfigPath();

// The sections of a telephony configuration file, in file order, with their
// keys; none when the file is missing.
std::vector<std::pair<std::string, TelephonySettings>> ReadTelephonySections(
    const std::string& path);

// Longest device name kept (the interface copied at most 259 characters).
inline constexpr std::size_t kDeviceNameMax = 259;

}  // namespace orvia
