// The telephony devices as the settings dialogs show them: read afresh from
// the telephony configuration each time a dialog needs them (the running
// lines keep their own list until they are set up again), each with its
// section and type so its settings can be edited.
//
// Device identifiers are positions in the list, as for the line
// application: a section that gives no device (an unknown type, settings
// its provider cannot use) takes no identifier, and a SIP account with
// several channels takes one per channel.
//
// Main thread only (the providers are built on it).
#pragma once

#include <string>
#include <vector>

namespace orvia {

struct ConfiguredDevice {
    std::string section;
    std::string type;  // lower case: "sip", "simulated"
    std::string name;
    bool voiceCapable = false;
};

class TelephonyConfig {
public:
    // The devices of the file (the data folder's "telephony.ini" by default).
    static TelephonyConfig Read();
    static TelephonyConfig Read(const std::string& path);

    const std::string& Path() const { return path_; }
    int Count() const { return static_cast<int>(devices_.size()); }
    // Null for an identifier outside the list.
    const ConfiguredDevice* Device(int id) const;
    // The device's name; empty for no such device.
    std::string Name(int id) const;
    // False for no such device.
    bool IsVoiceCapable(int id) const;

    // A section name not yet used in the file: the type followed by the
    // lowest number from 1 that is free ("sip1", "sip2", ...).
    std::string NewSectionName(const std::string& type) const;

private:
    std::string path_;
    std::vector<ConfiguredDevice> devices_;
    std::vector<std::string> sections_;  // every section of the file, lower case
};

}  // namespace orvia
