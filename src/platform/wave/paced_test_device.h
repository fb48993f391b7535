// A device paced in real time that discards output and captures silence.
//
// It stands in for a sound card on machines without one (servers, CI): the
// player and the recorder see buffers come back at the pace of real audio.
// Any valid format is taken.
//
// Threads: any thread.
#pragma once

#include <memory>
#include <string>

#include "platform/wave/wave_endpoint.h"

namespace orvia {

class PacedTestDevice : public WaveEndpoint {
public:
    explicit PacedTestDevice(std::string name = "No Sound Device");

    std::string ProductName() const override { return name_; }
    WaveResult OpenOutput(const PcmFormat& format, bool mapped, WaveDoneNotifier notifier,
                          std::unique_ptr<WaveOutDevice>* device) override;
    WaveResult OpenInput(const PcmFormat& format, bool mapped, WaveDoneNotifier notifier,
                         std::unique_ptr<WaveInDevice>* device) override;

private:
    std::string name_;
};

}  // namespace orvia
