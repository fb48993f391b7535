// MediaPort: the audio ends of one connected SIP call, as the media clock
// sees them.
//
// Every 20 ms the call takes what the line plays (Pull: exactly the asked
// number of samples, silence where the line queued nothing) and hands over
// what the caller said (Push). Both at 8000 samples per second, 16-bit mono.
// The device identifiers are those the line opens to play and record.
//
// Threads: created and used on the SIP loop thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace orvia::sip {

class MediaPort {
public:
    virtual ~MediaPort() = default;
    virtual int OutputId() const = 0;
    virtual int InputId() const = 0;
    virtual void Pull(int16_t* out, size_t samples) = 0;
    virtual void Push(const int16_t* in, size_t samples) = 0;
};

// Makes the audio ends of a newly connected call; null when none are left.
using MediaPortFactory = std::function<std::unique_ptr<MediaPort>()>;

}  // namespace orvia::sip
