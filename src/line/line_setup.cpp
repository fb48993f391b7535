#include "line/line_setup.h"

#include <string>

#include "platform/diagnostics/diagnostics.h"
#include "platform/thread/thread_affinity.h"
#include "store/encodings.h"
#include "store/profile.h"
#include "store/profile_values.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

std::string Section(int lineIndex) {
    return "line" + std::to_string(lineIndex);
}

int CountConfigured() {
    int count = 0;
    for (int index = 0; index < kMaxLines; ++index)
        count += IsConfiguredLine(index) ? 1 : 0;
    return count;
}

// Writes a section for every voice-capable device; returns how many.
int ConfigureVoiceDevices(LLineApplication& application) {
    const std::string& settings = Store().SettingsFile();
    application.Initialise();
    int count = 0;
    const auto devices = static_cast<int>(application.DeviceCount());
    for (int device = 0; device < devices && count < kMaxLines; ++device) {
        if (!application.IsVoiceCapable(device))
            continue;
        const std::string section = Section(count);
        // The section is written whole or not at all: a section with "use"
        // but no "device" (a full disk part-way) would open the device with
        // the line's own index, which may be no voice device at all.
        if (!WriteProfileKeys(settings, section,
                              {{"use", FormatBool(true)},
                               {"device", std::to_string(device)},
                               {"name", "Line " + std::to_string(count + 1)},
                               {"ogmoverride", FormatBool(false)}})) {
            ReportError("line", "the line section [" + section + "] for device " +
                                    std::to_string(device) + " could not be written to " +
                                    settings + "; the device is not set up as a line");
            continue;
        }
        ++count;
    }
    return count;
}

// Says whether the line opened, and where it takes calls or why it does not.
void ReportOpening(LLine& line, LLineApplication& application, int index, int device) {
    const std::string section = Section(index);
    const std::string name = ReadProfileString(Store().SettingsFile(), section, "name", section);
    std::string which = "device " + std::to_string(device);
    const std::string deviceName = application.GetDeviceName(device);
    if (!deviceName.empty())
        which += " \"" + deviceName + "\"";
    const std::string who = (name == section ? name : name + " [" + section + "]") + ": ";
    if (!line.IsOpen()) {
        ReportError("line", who + which + " did not open: " + line.OpenError() +
                                "; the line takes no calls");
        return;
    }
    const std::string address = line.DeviceStatus().address;
    ReportInfo("line", who + "answering calls on " + which +
                           (address.empty() ? std::string() : " at " + address));
}

}  // namespace

bool IsConfiguredLine(int lineIndex) {
    return ReadProfileBool(Store().SettingsFile(), Section(lineIndex), "use", false);
}

LineSetupResult SetUpLines(LLineApplication& application, const LineCellFactory& makeCell,
                           std::vector<std::unique_ptr<LLine>>* lines) {
    ORVIA_ASSERT_MAIN_THREAD();
    const std::string& settings = Store().SettingsFile();
    WriteProfileBool(settings, "state", "restart", false);
    lines->clear();
    // The settings may have added or changed devices in the telephony
    // configuration: the closed lines' devices are read again.
    application.Refresh();

    int count = CountConfigured();
    if (count == 0)
        count = ConfigureVoiceDevices(application);
    if (count == 0) {
        ReportError("line", "no line is configured in " + settings +
                                " and no voice-capable device is in " + TelephonyConfigPath() +
                                "; running without lines");
        return LineSetupResult::NoDevices;
    }

    const int mode = ReadProfileBool(settings, "settings", "detectendofcall", true)
                         ? LLine::kDetectDisconnect
                         : LLine::kIgnoreDisconnectWhilePlaying;
    for (int index = 0; index < kMaxLines && static_cast<int>(lines->size()) < count; ++index) {
        if (!IsConfiguredLine(index))
            continue;
        auto line = std::make_unique<LLine>(application);
        if (makeCell)
            line->SetOwner(makeCell(index));
        const int device = ReadProfileInt(settings, Section(index), "device", index);
        line->Open(device, mode);
        ReportOpening(*line, application, index, device);
        lines->push_back(std::move(line));
    }
    return LineSetupResult::Lines;
}

}  // namespace orvia
