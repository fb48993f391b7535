// The wave devices of a connected call.
//
// A telephony provider registers one output and one input device for each
// call it connects; the line gets their identifiers (from 64..127) and plays
// and records on them like on any device. The provider's media clock drives
// them by explicit calls: PullOutput takes what the line plays, PushInput
// hands over what the caller says. The scripted-caller provider calls them as fast
// as it likes, a SIP provider at the RTP clock. Destroying the pair takes the
// identifiers back; a device the line still has open then returns its
// buffers at once (the call is gone) and records nothing more.
//
// The devices take only the call's own format (direct or mapped): the line
// converts its audio to it before playing.
//
// Threads: the provider's thread for Pull/Push; the pair may be created and
// destroyed on any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/wave/wave_types.h"

namespace orvia {

class CallDevicePair {
public:
    // Registers the devices of a new call; null when every call identifier is
    // taken or the format is not valid.
    static std::unique_ptr<CallDevicePair> Register(const PcmFormat& format);
    ~CallDevicePair();
    CallDevicePair(const CallDevicePair&) = delete;
    CallDevicePair& operator=(const CallDevicePair&) = delete;

    int OutputId() const { return id_; }
    int InputId() const { return id_; }
    const PcmFormat& Format() const;

    // Fills out with frames frames: what the line has queued, then silence.
    // Returns how many came from the queue.
    size_t PullOutput(int16_t* out, size_t frames);
    // Stores frames in the line's input buffers. Returns how many were stored
    // (none while the line's device is closed or stopped).
    size_t PushInput(const int16_t* in, size_t frames);

    // For a media clock that runs only while the line uses the call's audio
    // (a scripted call): whether the line has the output device open, a
    // wait of up to timeoutMs for output frames to pull (false when there are
    // none then: nothing queued, paused or closed), and how many input frames
    // the line's buffers can take now (0 while it is not recording).
    bool OutputOpen() const;
    bool WaitForOutput(int timeoutMs);
    size_t InputFreeFrames() const;

    struct Port;

private:
    CallDevicePair(std::shared_ptr<Port> port, int id);

    std::shared_ptr<Port> port_;
    int id_;
};

}  // namespace orvia
