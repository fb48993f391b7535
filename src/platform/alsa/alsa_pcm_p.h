// Opening an ALSA PCM for the wave device layer: 16-bit interleaved frames in
// exactly the asked rate and channel count, non-blocking, with periods of
// about 20 ms.
//
// Threads: opened on the owner's thread, then used by one device thread.
#pragma once

#include <alsa/asoundlib.h>

#include <string>

#include "platform/wave/wave_types.h"

namespace orvia {

// Owns an open PCM handle.
class AlsaPcm {
public:
    AlsaPcm() = default;
    explicit AlsaPcm(snd_pcm_t* pcm) : pcm_(pcm) {}
    ~AlsaPcm();
    AlsaPcm(AlsaPcm&& other) noexcept : pcm_(other.pcm_) { other.pcm_ = nullptr; }
    AlsaPcm& operator=(AlsaPcm&& other) noexcept;
    AlsaPcm(const AlsaPcm&) = delete;
    AlsaPcm& operator=(const AlsaPcm&) = delete;

    snd_pcm_t* get() const { return pcm_; }

private:
    snd_pcm_t* pcm_ = nullptr;
};

struct AlsaPcmConfig {
    snd_pcm_uframes_t periodFrames = 0;
    snd_pcm_uframes_t bufferFrames = 0;
};

// Opens and configures a PCM. With resample false ALSA may not convert the
// rate; the device name decides whether channels may be converted (plughw).
WaveResult OpenAlsaPcm(const std::string& name, snd_pcm_stream_t stream, const PcmFormat& format,
                       bool resample, AlsaPcm* pcm, AlsaPcmConfig* config);

// Keeps ALSA's own error printing off standard error (failures are reported
// by result codes instead). Safe to call more than once.
void QuietAlsaErrors();

}  // namespace orvia
