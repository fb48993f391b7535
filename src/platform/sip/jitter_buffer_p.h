// The receive jitter buffer of a call: decoded samples placed by their RTP
// timestamps and read out at our own clock.
//
// Reading always yields the asked number of samples: where nothing arrived
// for a stretch of time (a lost packet, a peer on hold) it yields silence, so
// what is recorded keeps real time. The first packet is played out a target
// delay after it arrives. A packet that comes too late for its place is
// dropped; when the peer's timeline falls behind ours (its packets keep
// coming late) or jumps (a new source, a resumed call) the buffer re-anchors
// on the packet, and when more than the target plus some slack is queued
// (a faster peer clock) the oldest samples are skipped. Memory is bounded by
// the capacity, whatever the timestamps say.
//
// Threads: one thread (the SIP loop).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvia::sip {

class JitterBuffer {
public:
    // targetDelay and slack in samples; capacity is rounded up to a power of
    // two and at least four times target plus slack.
    explicit JitterBuffer(uint32_t targetDelay = 480, uint32_t slack = 480,
                          uint32_t capacity = 4096);

    // Stores samples that start at RTP timestamp ts.
    void Put(uint32_t ts, const int16_t* samples, size_t count);
    // Fills out with count samples: what arrived for them, silence elsewhere.
    void Get(int16_t* out, size_t count);
    // Forgets everything; the next packet starts afresh.
    void Reset();

    // Samples queued ahead of the read position (up to the newest packet's end).
    uint32_t Queued() const;

private:
    void Anchor(uint32_t ts);
    void Skip(uint32_t count);
    void ClearAll();

    std::vector<int16_t> ring_;
    uint32_t mask_;
    uint32_t target_;
    uint32_t slack_;
    bool started_ = false;
    uint32_t readTs_ = 0;     // timestamp of the next sample Get returns
    uint32_t newestEnd_ = 0;  // end timestamp of the newest packet stored
};

}  // namespace orvia::sip
