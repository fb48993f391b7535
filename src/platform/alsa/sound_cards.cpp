#include "platform/alsa/sound_cards.h"

#include <alsa/asoundlib.h>

#include <string>

#include "platform/alsa/alsa_pcm_p.h"
#include "platform/wave/paced_test_device.h"
#include "platform/wave/wave_registry.h"

namespace orvia {
namespace {

struct CtlInfo {
    CtlInfo() {
        snd_ctl_card_info_malloc(&card);
        snd_pcm_info_malloc(&pcm);
    }
    ~CtlInfo() {
        snd_ctl_card_info_free(card);
        snd_pcm_info_free(pcm);
    }
    snd_ctl_card_info_t* card = nullptr;
    snd_pcm_info_t* pcm = nullptr;
};

// Whether the card's device has a stream in that direction, and its name.
bool DeviceStream(snd_ctl_t* ctl, snd_pcm_info_t* info, int device, snd_pcm_stream_t stream,
                  std::string* name) {
    snd_pcm_info_set_device(info, static_cast<unsigned>(device));
    snd_pcm_info_set_subdevice(info, 0);
    snd_pcm_info_set_stream(info, stream);
    if (snd_ctl_pcm_info(ctl, info) < 0)
        return false;
    const char* pcmName = snd_pcm_info_get_name(info);
    *name = pcmName ? pcmName : "";
    return true;
}

void ListCard(int card, SoundCardDevices* devices) {
    const std::string control = "hw:" + std::to_string(card);
    snd_ctl_t* ctl = nullptr;
    if (snd_ctl_open(&ctl, control.c_str(), 0) < 0 || !ctl)
        return;
    CtlInfo info;
    std::string cardName = control;
    if (info.card && snd_ctl_card_info(ctl, info.card) == 0)
        cardName = snd_ctl_card_info_get_name(info.card);
    int device = -1;
    while (info.pcm && snd_ctl_pcm_next_device(ctl, &device) == 0 && device >= 0) {
        const std::string address = std::to_string(card) + "," + std::to_string(device);
        for (snd_pcm_stream_t stream : {SND_PCM_STREAM_PLAYBACK, SND_PCM_STREAM_CAPTURE}) {
            std::string pcmName;
            if (!DeviceStream(ctl, info.pcm, device, stream, &pcmName))
                continue;
            AlsaDeviceInfo entry{"hw:" + address, "plughw:" + address,
                                 pcmName.empty() ? cardName : cardName + ": " + pcmName, control};
            (stream == SND_PCM_STREAM_PLAYBACK ? devices->playback : devices->capture)
                .push_back(std::move(entry));
        }
    }
    snd_ctl_close(ctl);
}

void Install(WaveDirection direction, const std::vector<AlsaDeviceInfo>& devices,
             const SoundCardOptions& options) {
    int id = 0;
    for (const AlsaDeviceInfo& info : devices) {
        if (id + 1 >= kFirstCallWaveDevice)
            break;  // the identifiers above belong to calls; keep one for "null"
        WaveDevices().Register(direction, id++, std::make_shared<AlsaEndpoint>(info));
    }
    if (options.includeNullDevice)
        WaveDevices().Register(direction, id++, AlsaEndpoint::ForPcmName("null", "Null Device"));
    if (id == 0 && options.pacedFallback)
        WaveDevices().Register(direction, id++, std::make_shared<PacedTestDevice>());
}

}  // namespace

SoundCardDevices ListSoundCardDevices() {
    QuietAlsaErrors();
    SoundCardDevices devices;
    int card = -1;
    while (snd_card_next(&card) == 0 && card >= 0)
        ListCard(card, &devices);
    return devices;
}

int InstallSoundCardDevices(const SoundCardOptions& options) {
    const SoundCardDevices devices = ListSoundCardDevices();
    for (int id = kDefaultWaveDevice; id < kFirstCallWaveDevice; ++id) {
        WaveDevices().Unregister(WaveDirection::Output, id);
        WaveDevices().Unregister(WaveDirection::Input, id);
    }
    auto standard = AlsaEndpoint::ForPcmName("default", "Default Sound Device");
    WaveDevices().Register(WaveDirection::Output, kDefaultWaveDevice, standard);
    WaveDevices().Register(WaveDirection::Input, kDefaultWaveDevice, standard);
    Install(WaveDirection::Output, devices.playback, options);
    Install(WaveDirection::Input, devices.capture, options);
    return WaveDevices().Count(WaveDirection::Output);
}

}  // namespace orvia
