#include "ui/record/record_params.h"

#include <algorithm>

#include "store/profile_values.h"
#include "store/settings_store.h"
#include "ui/framework/key_writer.h"

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
    KeyWriter write(Store().SettingsFile());
    write.Int(kSettings, "recorddevice", params.recordDevice);
    write.Int(kSettings, "recordchan", params.recordLine);
    write.Int(kSettings, "recordvolume", params.recordVolume);
    write.Int(kSettings, "recordplaydevice", params.playDevice);
    write.Int(kSettings, "recordplayvolume", params.playVolume);
    write.Int(kSettings, "recordtrim", params.threshold);
    return write.Ok();
}

}  // namespace orvia
