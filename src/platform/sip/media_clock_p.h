// The 20 ms clock that moves every connected call's audio.
//
// One libre timer serves all calls: each tick runs every participant once.
// Ticks are paced against deadlines on a fixed 20 ms grid (the timer only
// wakes the loop; a late wake-up catches up the frames it missed, at most a
// few in a row, and a long stall re-aligns the grid instead of bursting).
//
// Threads: the SIP loop thread only, asserted in debug builds.
#pragma once

#include <cstdint>
#include <vector>

namespace orvia::sip {

class MediaParticipant {
public:
    virtual ~MediaParticipant() = default;
    // One 20 ms frame of audio in and out.
    virtual void OnFrame() = 0;
};

class MediaClock {
public:
    static constexpr uint64_t kFrameMs = 20;

    // The loop's clock.
    static MediaClock& Instance();

    void Add(MediaParticipant* participant);
    // Safe to call from inside a participant's OnFrame.
    void Remove(MediaParticipant* participant);

private:
    MediaClock();
    ~MediaClock();
    static void OnTimer(void* arg);
    void Tick();
    void Arm(uint64_t now);

    struct Timer;
    Timer* timer_;
    std::vector<MediaParticipant*> participants_;
    uint64_t nextDeadline_ = 0;
    bool ticking_ = false;
};

}  // namespace orvia::sip
