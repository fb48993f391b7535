// The line set-up: how the "line%d" sections of settings.ini become open
// lines, each with its own engine as owner cell.
//
// 1. "state"/"restart" is written "false".
// 2. The old lines are destroyed (each closes its device, deletes its cells).
// 3. The configured lines are counted: sections line0 .. line63 with "use"
//    true.
// 4. With none configured, one section is written for each voice-capable
//    device, in device order: "use" true, "device" its identifier, "name"
//    "Line 1", "Line 2" ..., "ogmoverride" false.
// 5. With still none, the set-up reports that there are no devices (the
//    caller shows kNoDevicesTitle / kNoDevicesText) and makes no line.
// 6. Otherwise one line per configured section, in index order: its cell is
//    made for the section's index, and it opens the section's "device"
//    (default: the index) in disconnect mode 0 when "settings"/
//    "detectendofcall" (default true) is true, 2 when false. A line that does
//    not open stays in the list, closed.
//
// Main thread only.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "line/ivr_cell.h"
#include "line/line.h"
#include "line/line_application.h"

namespace orvia {

inline constexpr int kMaxLines = 64;

inline constexpr const char* kNoDevicesTitle = "No TAPI Devices";
inline constexpr const char* kNoDevicesText =
    "No installed TAPI telephony line devices are detected.\r\n\r\nIf you are attempting to use "
    "a voice modem this might mean that the modem is not actually a voice modem, the wrong "
    "drivers have been installed for the modem, you are using Windows NT4 (most voice modems do "
    "not work under NT4) or your modem is not 100% TAPI compliant.\r\n\r\nIf you are attempting "
    "to use professional telephony cards (eg. Dialogic) it might mean you have not installed all "
    "required Hardware drivers, TAPI drivers and Wave drivers.";
inline constexpr const char* kDeviceErrorTitle = "Device Error";
inline constexpr const char* kDeviceErrorText =
    "The line device that you have selected is not voice capable.\r\n\r\nThis means that the "
    "device is either (i) not a voice modem or voice telephony card, or (ii) if it is a voice "
    "modem or a voice telephony card the correct Wave and Tapi drivers have not been installed.";

// Makes the owner cell (the engine) of the line with this index.
using LineCellFactory = std::function<std::unique_ptr<LIVRCell>(int lineIndex)>;

enum class LineSetupResult {
    Lines,      // at least one line was made (open or not)
    NoDevices,  // nothing configured and no voice-capable device
};

// Replaces *lines with the lines of the configuration.
LineSetupResult SetUpLines(LLineApplication& application, const LineCellFactory& makeCell,
                           std::vector<std::unique_ptr<LLine>>* lines);

// Whether "line%d" of the index is a configured line.
bool IsConfiguredLine(int lineIndex);

}  // namespace orvia
