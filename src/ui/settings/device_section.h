// Writing one device section of the telephony configuration from a settings
// dialog: the dialog's keys are set (or removed when empty) and every other
// key of the section is kept, all in one replacement of the file, and the
// lines are marked for a restart so they take the new settings.
//
// Main thread only.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/telephony/telephony.h"

namespace orvia {

// Key and value as the dialog has them; an empty value removes the key.
using DeviceKeyValues = std::vector<std::pair<std::string, std::string>>;

// The section as it will read after the edits: its current keys with the
// dialog's keys replaced, removed or added, "type" first.
TelephonySettings MergedDeviceSection(const std::string& path, const std::string& section,
                                      const std::string& type, const DeviceKeyValues& values);

// Writes the edits and "type", then "state"/"restart" = "true" in
// settings.ini. False when the configuration could not be written (it is
// then unchanged).
bool WriteDeviceSection(const std::string& path, const std::string& section,
                        const std::string& type, const DeviceKeyValues& values);

}  // namespace orvia
