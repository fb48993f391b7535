// The controls of one sound card's mixer, as the mixer control sees them.
//
// A backend that has a mixer (ALSA's simple mixer) lists its elements in a
// stable order with what each can do; the mixer control decides which to set.
// Levels are mixer values 0..65535, mapped by the backend onto each element's
// own range.
//
// Threads: used by one thread at a time (the main thread).
#pragma once

#include <cstdint>
#include <string>

namespace orvia {

class MixerElements {
public:
    enum Capability : unsigned {
        kPlaybackVolume = 1u << 0,
        kPlaybackSwitch = 1u << 1,  // on = sound passes (not muted)
        kCaptureVolume = 1u << 2,
        kCaptureSwitch = 1u << 3,  // on = recorded from
        kCaptureSource = 1u << 4,  // a list of inputs of which one is recorded
    };

    virtual ~MixerElements() = default;

    virtual int Count() const = 0;
    virtual std::string Name(int element) const = 0;
    virtual unsigned Capabilities(int element) const = 0;

    virtual void SetPlaybackLevel(int element, uint16_t level) = 0;
    virtual void SetPlaybackSwitch(int element, bool on) = 0;
    virtual void SetCaptureLevel(int element, uint16_t level) = 0;
    virtual void SetCaptureSwitch(int element, bool on) = 0;

    // The inputs of a capture source element, and which one is recorded.
    virtual int SourceCount(int element) const = 0;
    virtual std::string SourceName(int element, int source) const = 0;
    virtual void SelectSource(int element, int source) = 0;
};

}  // namespace orvia
