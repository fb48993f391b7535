// One wave device of a backend, as the device registry holds it.
//
// Every backend (ALSA sound cards, call devices, test devices) presents each
// of its devices through this one interface; the registry maps device
// identifiers to endpoints. An endpoint may serve output, input or both.
//
// Threads: opened from the owner's thread; the endpoint itself must allow
// opens from several threads (the registry does not serialise them).
#pragma once

#include <memory>
#include <string>

#include "platform/mixer/mixer_elements.h"
#include "platform/wave/wave_device.h"
#include "platform/wave/wave_done_notifier.h"
#include "platform/wave/wave_types.h"

namespace orvia {

class WaveEndpoint {
public:
    virtual ~WaveEndpoint() = default;

    virtual std::string ProductName() const = 0;

    // Opens the device in the format. A direct open (mapped false) fails with
    // BadFormat unless the device takes the format as it is; a mapped open may
    // convert rate or channels. The notifier returns done buffers.
    virtual WaveResult OpenOutput(const PcmFormat& format, bool mapped, WaveDoneNotifier notifier,
                                  std::unique_ptr<WaveOutDevice>* device);
    virtual WaveResult OpenInput(const PcmFormat& format, bool mapped, WaveDoneNotifier notifier,
                                 std::unique_ptr<WaveInDevice>* device);

    // The mixer of the card behind this device; null when it has none.
    virtual std::unique_ptr<MixerElements> OpenMixer() const { return nullptr; }
};

}  // namespace orvia
