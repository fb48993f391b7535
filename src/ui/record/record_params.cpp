#include "ui/record/record_params.h"

#include <algorithm>

#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

constexpr const char* kSettings = "settings";

// Device identifiers are signed 8-bit; anything else is the default device.
int8_t DeviceId(int32_t value) {
    return value >= -1 && value <= 127 ? static_cast<int8_t>(value) : int8_t{-1};
}

}  // namespace

void ReadRecordSettings(LRecordParams* params) {
    const std::string& file = Store().SettingsFile();
    params->recordDevice = DeviceId(ReadProfileInt(file, kSettings, "recorddevice", 0));
    params->recordLine = DeviceId(ReadProfileInt(file, kSettings, "recordchan", -1));
    params->recordVolume =
        std::clamp(ReadProfileInt(file, kSettings, "recordvolume", 0), -127, 127);
    params->playDevice = DeviceId(ReadProfileInt(file, kSettings, "recordplaydevice", 0));
    params->playVolume =
        std::clamp(ReadProfileInt(file, kSettings, "recordplayvolume", 0), -127, 127);
    params->threshold = std::clamp(ReadProfileInt(file, kSettings, "recordtrim", -30), -127, 127);
}

bool WriteRecordSettings(const LRecordParams& params) {
    const std::string& file = Store().SettingsFile();
    bool ok = WriteProfileInt(file, kSettings, "recorddevice", params.recordDevice);
    ok = WriteProfileInt(file, kSettings, "recordchan", params.recordLine) && ok;
    ok = WriteProfileInt(file, kSettings, "recordvolume", params.recordVolume) && ok;
    ok = WriteProfileInt(file, kSettings, "recordplaydevice", params.playDevice) && ok;
    ok = WriteProfileInt(file, kSettings, "recordplayvolume", params.playVolume) && ok;
    ok = WriteProfileInt(file, kSettings, "recordtrim", params.threshold) && ok;
    return ok;
}

}  // namespace orvia
