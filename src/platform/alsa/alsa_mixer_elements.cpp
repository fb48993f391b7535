#include "platform/alsa/alsa_mixer_elements_p.h"

#include "platform/alsa/alsa_pcm_p.h"

namespace orvia {
namespace {

long Scale(uint16_t level, long min, long max) {
    if (max <= min)
        return min;
    return min + static_cast<long>((static_cast<long long>(max - min) * level + 32767) / 65535);
}

}  // namespace

std::unique_ptr<AlsaMixerElements> AlsaMixerElements::Open(const std::string& card) {
    QuietAlsaErrors();
    snd_mixer_t* mixer = nullptr;
    if (snd_mixer_open(&mixer, 0) < 0 || !mixer)
        return nullptr;
    if (snd_mixer_attach(mixer, card.c_str()) < 0 ||
        snd_mixer_selem_register(mixer, nullptr, nullptr) < 0 || snd_mixer_load(mixer) < 0) {
        snd_mixer_close(mixer);
        return nullptr;
    }
    return std::unique_ptr<AlsaMixerElements>(new AlsaMixerElements(mixer));
}

AlsaMixerElements::AlsaMixerElements(snd_mixer_t* mixer) : mixer_(mixer) {
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer_); e; e = snd_mixer_elem_next(e)) {
        if (snd_mixer_selem_is_active(e))
            elements_.push_back(e);
    }
}

AlsaMixerElements::~AlsaMixerElements() {
    snd_mixer_close(mixer_);
}

snd_mixer_elem_t* AlsaMixerElements::At(int element) const {
    if (element < 0 || element >= Count())
        return nullptr;
    return elements_[static_cast<size_t>(element)];
}

int AlsaMixerElements::Count() const {
    return static_cast<int>(elements_.size());
}

std::string AlsaMixerElements::Name(int element) const {
    snd_mixer_elem_t* e = At(element);
    if (!e)
        return {};
    std::string name = snd_mixer_selem_get_name(e);
    const unsigned index = snd_mixer_selem_get_index(e);
    if (index > 0)
        name += " " + std::to_string(index);
    return name;
}

unsigned AlsaMixerElements::Capabilities(int element) const {
    snd_mixer_elem_t* e = At(element);
    if (!e)
        return 0;
    unsigned caps = 0;
    if (snd_mixer_selem_has_playback_volume(e))
        caps |= kPlaybackVolume;
    if (snd_mixer_selem_has_playback_switch(e))
        caps |= kPlaybackSwitch;
    if (snd_mixer_selem_has_capture_volume(e))
        caps |= kCaptureVolume;
    if (snd_mixer_selem_has_capture_switch(e))
        caps |= kCaptureSwitch;
    if (snd_mixer_selem_is_enumerated(e) && snd_mixer_selem_is_enum_capture(e))
        caps |= kCaptureSource;
    return caps;
}

void AlsaMixerElements::SetPlaybackLevel(int element, uint16_t level) {
    snd_mixer_elem_t* e = At(element);
    long min = 0;
    long max = 0;
    if (e && snd_mixer_selem_get_playback_volume_range(e, &min, &max) == 0)
        snd_mixer_selem_set_playback_volume_all(e, Scale(level, min, max));
}

void AlsaMixerElements::SetPlaybackSwitch(int element, bool on) {
    if (snd_mixer_elem_t* e = At(element))
        snd_mixer_selem_set_playback_switch_all(e, on ? 1 : 0);
}

void AlsaMixerElements::SetCaptureLevel(int element, uint16_t level) {
    snd_mixer_elem_t* e = At(element);
    long min = 0;
    long max = 0;
    if (e && snd_mixer_selem_get_capture_volume_range(e, &min, &max) == 0)
        snd_mixer_selem_set_capture_volume_all(e, Scale(level, min, max));
}

void AlsaMixerElements::SetCaptureSwitch(int element, bool on) {
    if (snd_mixer_elem_t* e = At(element))
        snd_mixer_selem_set_capture_switch_all(e, on ? 1 : 0);
}

int AlsaMixerElements::SourceCount(int element) const {
    snd_mixer_elem_t* e = At(element);
    if (!e || !snd_mixer_selem_is_enumerated(e))
        return 0;
    const int items = snd_mixer_selem_get_enum_items(e);
    return items > 0 ? items : 0;
}

std::string AlsaMixerElements::SourceName(int element, int source) const {
    snd_mixer_elem_t* e = At(element);
    char name[64] = {};
    if (!e || source < 0 ||
        snd_mixer_selem_get_enum_item_name(e, static_cast<unsigned>(source), sizeof name - 1,
                                           name) < 0)
        return {};
    return name;
}

void AlsaMixerElements::SelectSource(int element, int source) {
    snd_mixer_elem_t* e = At(element);
    if (!e || source < 0)
        return;
    // Every channel of the selector records from the same input.
    for (int channel = 0; channel <= SND_MIXER_SCHN_LAST; ++channel) {
        if (snd_mixer_selem_set_enum_item(e, static_cast<snd_mixer_selem_channel_id_t>(channel),
                                          static_cast<unsigned>(source)) < 0)
            break;
    }
}

}  // namespace orvia
