// The device threads of open ALSA devices: one per device, feeding the
// playback PCM from the output queue or draining the capture PCM into the
// input queue. The PCM's own clock paces them; a PCM that runs faster than
// real time (ALSA's "null" device) is held back to it. When the PCM fails for
// good the thread goes on at the pace of real time, so buffers still come
// back and nobody waits for ever.
#pragma once

#include <memory>

#include "platform/alsa/alsa_pcm_p.h"
#include "platform/wave/wave_device.h"

namespace orvia {

std::unique_ptr<WaveDeviceClock> StartAlsaPlayback(AlsaPcm pcm, const AlsaPcmConfig& config,
                                                   std::shared_ptr<WaveOutQueue> queue);
std::unique_ptr<WaveDeviceClock> StartAlsaCapture(AlsaPcm pcm, const AlsaPcmConfig& config,
                                                  std::shared_ptr<WaveInQueue> queue);

}  // namespace orvia
