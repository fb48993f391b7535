// A sound-card device reached through ALSA.
//
// A direct open asks the PCM for the exact format without rate conversion; a
// mapped open goes through the PCM that converts (plughw for a card's device)
// and lets ALSA resample. The card's simple mixer serves the mixer control.
//
// Threads: any thread.
#pragma once

#include <memory>
#include <string>

#include "platform/wave/wave_endpoint.h"

namespace orvia {

struct AlsaDeviceInfo {
    std::string pcm;        // name for a direct open, e.g. "hw:0,0"
    std::string mappedPcm;  // name for a mapped open, e.g. "plughw:0,0"
    std::string name;       // product name
    std::string mixer;      // the card's control name, e.g. "hw:0"; empty for none
};

class AlsaEndpoint : public WaveEndpoint {
public:
    explicit AlsaEndpoint(AlsaDeviceInfo info);
    // An endpoint for an ALSA PCM by name ("default", "null", ...), without a
    // mixer.
    static std::shared_ptr<AlsaEndpoint> ForPcmName(const std::string& pcm,
                                                    const std::string& productName);

    std::string ProductName() const override { return info_.name; }
    WaveResult OpenOutput(const PcmFormat& format, bool mapped, WaveDoneNotifier notifier,
                          std::unique_ptr<WaveOutDevice>* device) override;
    WaveResult OpenInput(const PcmFormat& format, bool mapped, WaveDoneNotifier notifier,
                         std::unique_ptr<WaveInDevice>* device) override;
    std::unique_ptr<MixerElements> OpenMixer() const override;

    const AlsaDeviceInfo& Info() const { return info_; }

private:
    AlsaDeviceInfo info_;
};

}  // namespace orvia
