// The simple-mixer elements of one ALSA card, for the mixer control.
//
// Levels 0..65535 are spread over each element's own volume range.
//
// Threads: one thread at a time.
#pragma once

#include <alsa/asoundlib.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/mixer/mixer_elements.h"

namespace orvia {

class AlsaMixerElements : public MixerElements {
public:
    // Opens the mixer of a card ("hw:0"); null when it cannot be opened.
    static std::unique_ptr<AlsaMixerElements> Open(const std::string& card);
    ~AlsaMixerElements() override;
    AlsaMixerElements(const AlsaMixerElements&) = delete;
    AlsaMixerElements& operator=(const AlsaMixerElements&) = delete;

    int Count() const override;
    std::string Name(int element) const override;
    unsigned Capabilities(int element) const override;
    void SetPlaybackLevel(int element, uint16_t level) override;
    void SetPlaybackSwitch(int element, bool on) override;
    void SetCaptureLevel(int element, uint16_t level) override;
    void SetCaptureSwitch(int element, bool on) override;
    int SourceCount(int element) const override;
    std::string SourceName(int element, int source) const override;
    void SelectSource(int element, int source) override;

private:
    explicit AlsaMixerElements(snd_mixer_t* mixer);
    snd_mixer_elem_t* At(int element) const;

    snd_mixer_t* mixer_;
    std::vector<snd_mixer_elem_t*> elements_;
};

}  // namespace orvia
