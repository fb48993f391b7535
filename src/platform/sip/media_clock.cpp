#include "platform/sip/media_clock_p.h"

#include <algorithm>

#include "platform/sip/libre_p.h"
#include "platform/sip/sip_loop_p.h"
#include "platform/wave/wave_done_notifier.h"

namespace orvia::sip {
namespace {

constexpr int kMaxCatchUpFrames = 5;

}  // namespace

struct MediaClock::Timer {
    struct tmr tmr;
};

MediaClock& MediaClock::Instance() {
    // Never destroyed: a loop thread still running at process exit may use it.
    static MediaClock* clock = new MediaClock();
    return *clock;
}

MediaClock::MediaClock() : timer_(new Timer) {
    tmr_init(&timer_->tmr);
}

MediaClock::~MediaClock() {
    delete timer_;
}

void MediaClock::Add(MediaParticipant* participant) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    if (std::find(participants_.begin(), participants_.end(), participant) != participants_.end())
        return;
    participants_.push_back(participant);
    if (!tmr_isrunning(&timer_->tmr)) {
        const uint64_t now = tmr_jiffies();
        nextDeadline_ = now + kFrameMs;
        Arm(now);
    }
}

void MediaClock::Remove(MediaParticipant* participant) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    auto it = std::find(participants_.begin(), participants_.end(), participant);
    if (it == participants_.end())
        return;
    if (ticking_)
        *it = nullptr;  // compacted after the tick
    else
        participants_.erase(it);
    if (std::none_of(participants_.begin(), participants_.end(),
                     [](MediaParticipant* p) { return p != nullptr; }))
        tmr_cancel(&timer_->tmr);
}

void MediaClock::Arm(uint64_t now) {
    const uint64_t delay = nextDeadline_ > now ? nextDeadline_ - now : 0;
    tmr_start(&timer_->tmr, delay, &MediaClock::OnTimer, this);
}

void MediaClock::OnTimer(void* arg) {
    static_cast<MediaClock*>(arg)->Tick();
}

void MediaClock::Tick() {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    uint64_t now = tmr_jiffies();
    int frames = 0;
    ticking_ = true;
    // The recorders' buffers that every call fills in this tick reach the
    // main thread in one post.
    const WaveDoneBatch batch;
    while (now >= nextDeadline_ && frames < kMaxCatchUpFrames) {
        for (size_t i = 0; i < participants_.size(); ++i)
            if (participants_[i])
                participants_[i]->OnFrame();
        nextDeadline_ += kFrameMs;
        ++frames;
    }
    ticking_ = false;
    participants_.erase(std::remove(participants_.begin(), participants_.end(), nullptr),
                        participants_.end());
    if (participants_.empty())
        return;
    now = tmr_jiffies();
    if (now >= nextDeadline_ + kFrameMs)
        nextDeadline_ = now + kFrameMs;  // stalled too long: re-align instead of bursting
    Arm(now);
}

}  // namespace orvia::sip
