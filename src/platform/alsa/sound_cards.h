// The machine's sound-card devices, installed in the wave device registry at
// start-up.
//
// Devices are listed card by card and, on each card, by device number, so
// identifiers stay the same from one start to the next while the hardware
// does. Identifier -1 is always ALSA's "default" PCM.
//
// Threads: the main thread, at start-up (or in tests).
#pragma once

#include <vector>

#include "platform/alsa/alsa_endpoint.h"

namespace orvia {

struct SoundCardDevices {
    std::vector<AlsaDeviceInfo> playback;
    std::vector<AlsaDeviceInfo> capture;
};

// The playback and capture devices of every sound card, in a stable order.
SoundCardDevices ListSoundCardDevices();

struct SoundCardOptions {
    // Adds ALSA's "null" device after the cards, so the backend can run on a
    // machine without a card.
    bool includeNullDevice = false;
    // When no device of a direction is found, installs a device paced in
    // real time as identifier 0, so playing and recording still run.
    bool pacedFallback = true;
};

// Replaces identifiers -1..63 of the registry with the machine's devices.
// Returns the number of playback devices installed.
int InstallSoundCardDevices(const SoundCardOptions& options = {});

}  // namespace orvia
