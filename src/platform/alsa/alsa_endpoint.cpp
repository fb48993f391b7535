#include "platform/alsa/alsa_endpoint.h"

#include <utility>

#include "platform/alsa/alsa_clocks_p.h"
#include "platform/alsa/alsa_mixer_elements_p.h"
#include "platform/alsa/alsa_pcm_p.h"

namespace orvia {

AlsaEndpoint::AlsaEndpoint(AlsaDeviceInfo info) : info_(std::move(info)) {}

std::shared_ptr<AlsaEndpoint> AlsaEndpoint::ForPcmName(const std::string& pcm,
                                                       const std::string& productName) {
    return std::make_shared<AlsaEndpoint>(AlsaDeviceInfo{pcm, pcm, productName, ""});
}

WaveResult AlsaEndpoint::OpenOutput(const PcmFormat& format, bool mapped, WaveDoneNotifier notifier,
                                    std::unique_ptr<WaveOutDevice>* device) {
    AlsaPcm pcm;
    AlsaPcmConfig config;
    const WaveResult result = OpenAlsaPcm(mapped ? info_.mappedPcm : info_.pcm,
                                          SND_PCM_STREAM_PLAYBACK, format, mapped, &pcm, &config);
    if (result != WaveResult::Ok)
        return result;
    auto queue = std::make_shared<WaveOutQueue>(format, std::move(notifier));
    auto clock = StartAlsaPlayback(std::move(pcm), config, queue);
    *device = std::make_unique<WaveOutDevice>(std::move(queue), std::move(clock));
    return WaveResult::Ok;
}

WaveResult AlsaEndpoint::OpenInput(const PcmFormat& format, bool mapped, WaveDoneNotifier notifier,
                                   std::unique_ptr<WaveInDevice>* device) {
    AlsaPcm pcm;
    AlsaPcmConfig config;
    const WaveResult result = OpenAlsaPcm(mapped ? info_.mappedPcm : info_.pcm,
                                          SND_PCM_STREAM_CAPTURE, format, mapped, &pcm, &config);
    if (result != WaveResult::Ok)
        return result;
    auto queue = std::make_shared<WaveInQueue>(format, std::move(notifier));
    auto clock = StartAlsaCapture(std::move(pcm), config, queue);
    *device = std::make_unique<WaveInDevice>(std::move(queue), std::move(clock));
    return WaveResult::Ok;
}

std::unique_ptr<MixerElements> AlsaEndpoint::OpenMixer() const {
    if (info_.mixer.empty())
        return nullptr;
    return AlsaMixerElements::Open(info_.mixer);
}

}  // namespace orvia
