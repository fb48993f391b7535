#include "platform/sip/jitter_buffer_p.h"

#include <algorithm>

namespace orvia::sip {
namespace {

uint32_t RoundUpPowerOfTwo(uint32_t value) {
    uint32_t p = 1;
    while (p < value)
        p <<= 1;
    return p;
}

// Signed distance b - a on the 32-bit timestamp circle.
int64_t Distance(uint32_t a, uint32_t b) {
    return static_cast<int32_t>(b - a);
}

}  // namespace

JitterBuffer::JitterBuffer(uint32_t targetDelay, uint32_t slack, uint32_t capacity)
    : target_(targetDelay), slack_(slack) {
    const uint32_t size = RoundUpPowerOfTwo(std::max(capacity, 4 * (targetDelay + slack)));
    ring_.assign(size, 0);
    mask_ = size - 1;
}

void JitterBuffer::ClearAll() {
    std::fill(ring_.begin(), ring_.end(), 0);
}

void JitterBuffer::Reset() {
    ClearAll();
    started_ = false;
}

void JitterBuffer::Anchor(uint32_t ts) {
    ClearAll();
    readTs_ = ts - target_;
    newestEnd_ = ts;
    started_ = true;
}

void JitterBuffer::Skip(uint32_t count) {
    for (uint32_t i = 0; i < count; ++i)
        ring_[(readTs_ + i) & mask_] = 0;
    readTs_ += count;
}

uint32_t JitterBuffer::Queued() const {
    if (!started_)
        return 0;
    const int64_t queued = Distance(readTs_, newestEnd_);
    return queued > 0 ? static_cast<uint32_t>(queued) : 0;
}

void JitterBuffer::Put(uint32_t ts, const int16_t* samples, size_t count) {
    const size_t capacity = ring_.size();
    if (count == 0)
        return;
    if (count > capacity / 4)
        count = capacity / 4;  // no real packet is this long; keep the rest bounded
    if (!started_)
        Anchor(ts);

    int64_t offset = Distance(readTs_, ts);
    if (offset < 0) {
        if (offset + static_cast<int64_t>(count) <= 0) {
            // Entirely too late. Newer than anything stored: the peer's
            // timeline is behind ours, follow it. Else an old duplicate.
            if (Distance(newestEnd_, ts) < -static_cast<int64_t>(capacity) ||
                Distance(newestEnd_, ts) >= -static_cast<int64_t>(count)) {
                Anchor(ts);
                offset = target_;
            } else {
                return;
            }
        } else {
            const size_t late = static_cast<size_t>(-offset);
            samples += late;
            count -= late;
            ts += static_cast<uint32_t>(late);
            offset = 0;
        }
    }
    if (offset + static_cast<int64_t>(count) > static_cast<int64_t>(capacity)) {
        Anchor(ts);  // a jump forward beyond what the buffer holds
        offset = target_;
    } else if (offset > static_cast<int64_t>(target_ + slack_)) {
        Skip(static_cast<uint32_t>(offset - target_));  // too much queued: drop the oldest
        offset = target_;
    }
    for (size_t i = 0; i < count; ++i)
        ring_[(ts + i) & mask_] = samples[i];
    const uint32_t end = ts + static_cast<uint32_t>(count);
    if (Distance(newestEnd_, end) > 0)
        newestEnd_ = end;
}

void JitterBuffer::Get(int16_t* out, size_t count) {
    if (!started_) {
        std::fill(out, out + count, 0);
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        int16_t& slot = ring_[(readTs_ + i) & mask_];
        out[i] = slot;
        slot = 0;
    }
    readTs_ += static_cast<uint32_t>(count);
}

}  // namespace orvia::sip
