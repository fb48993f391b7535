// A test device that plays and records as fast as the CPU allows.
//
// Output: a device thread takes every queued buffer at once and keeps what it
// played (up to a limit) for the test to inspect. Input: a device thread fills
// every buffer the owner adds, from the input source and then with silence,
// as fast as the owner hands buffers back. Tests register it under the
// identifiers they choose (ScopedWaveDevice). Any valid format is taken.
//
// An endless loop (a held preview) is played one pass per millisecond after
// its second pass, so that holding does not spin a core.
//
// Threads: any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/wave/wave_endpoint.h"
#include "platform/wave/wave_input_source.h"

namespace orvia {

class FastTestDevice : public WaveEndpoint {
public:
    explicit FastTestDevice(std::string name = "Fast Test Device");

    std::string ProductName() const override { return name_; }
    WaveResult OpenOutput(const PcmFormat& format, bool mapped, WaveDoneNotifier notifier,
                          std::unique_ptr<WaveOutDevice>* device) override;
    WaveResult OpenInput(const PcmFormat& format, bool mapped, WaveDoneNotifier notifier,
                         std::unique_ptr<WaveInDevice>* device) override;

    // The source of input devices opened from now on; each starts at its
    // beginning. Without one, input is silence.
    void SetInput(WaveInputSource source);

    // Samples played by the output devices opened on it, in play order, up to
    // the capture limit (later samples are counted but not kept).
    std::vector<int16_t> CapturedOutput() const;
    uint64_t PlayedSamples() const;
    void ClearCapturedOutput();
    void SetCaptureLimit(size_t samples);

    struct Shared;

private:
    std::string name_;
    std::shared_ptr<Shared> shared_;
};

}  // namespace orvia
