// Combo boxes listing the sound devices by name, in device order (at most
// 127 of each), so the position of an entry is the device identifier.
//
// Main thread only.
#pragma once

class QComboBox;

namespace orvia {

// The wave-out devices.
void FillPlayDevices(QComboBox* combo);
// The wave-in devices.
void FillRecordDevices(QComboBox* combo);

}  // namespace orvia
