#include "platform/wave/wave_out_queue.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>

namespace orvia {

WaveOutQueue::WaveOutQueue(const PcmFormat& format, WaveDoneNotifier notifier)
    : format_(format), notifier_(std::move(notifier)) {}

WaveOutQueue::~WaveOutQueue() {
    Close();
}

WaveResult WaveOutQueue::Write(WaveBuffer* buffer) {
    if (!buffer || (!buffer->data && buffer->length > 0))
        return WaveResult::InvalidParam;
    std::lock_guard<std::mutex> guard(mutex_);
    if (closed_)
        return WaveResult::Error;
    const uint32_t flags = buffer->flags.load();
    if (flags & WaveBuffer::kInQueue)
        return WaveResult::StillPlaying;
    buffer->flags.store((flags & ~WaveBuffer::kDone) | WaveBuffer::kInQueue);
    if (disconnected_) {
        MarkDone(buffer);
        return WaveResult::Ok;
    }
    queue_.push_back(buffer);
    work_.notify_all();
    return WaveResult::Ok;
}

void WaveOutQueue::Pause() {
    std::lock_guard<std::mutex> guard(mutex_);
    paused_ = true;
}

void WaveOutQueue::Restart() {
    std::lock_guard<std::mutex> guard(mutex_);
    paused_ = false;
    work_.notify_all();
}

void WaveOutQueue::Reset() {
    std::lock_guard<std::mutex> guard(mutex_);
    ReturnAll();
    paused_ = false;
    position_ = 0;
    work_.notify_all();
}

void WaveOutQueue::BreakLoop() {
    std::lock_guard<std::mutex> guard(mutex_);
    if (inLoop_)
        loopPasses_ = loopPassesPlayed_ + 1;  // the pass playing is the last
}

uint64_t WaveOutQueue::Position() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return position_;
}

bool WaveOutQueue::IsPaused() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return paused_;
}

void WaveOutQueue::Close() {
    std::lock_guard<std::mutex> guard(mutex_);
    notifier_.Close();
    ReturnAll();
    closed_ = true;
    work_.notify_all();
}

void WaveOutQueue::Disconnect() {
    std::lock_guard<std::mutex> guard(mutex_);
    ReturnAll();
    disconnected_ = true;
    work_.notify_all();
}

bool WaveOutQueue::HasWork() const {
    return closed_ || (!paused_ && current_ < queue_.size());
}

bool WaveOutQueue::WaitForWork(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    work_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return HasWork(); });
    return !closed_ && HasWork();
}

bool WaveOutQueue::IsClosed() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return closed_;
}

uint32_t WaveOutQueue::LoopPassesPlayed() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return inLoop_ ? loopPassesPlayed_ : 0;
}

size_t WaveOutQueue::Pull(int16_t* out, size_t frames, const Tap& tap) {
    std::lock_guard<std::mutex> guard(mutex_);
    const uint32_t blockAlign = static_cast<uint32_t>(format_.BlockAlign());
    const size_t channels = static_cast<size_t>(format_.channels);
    size_t copied = 0;
    size_t tapped = 0;
    auto flushTap = [&] {
        if (tap && copied > tapped)
            tap(out + tapped * channels, copied - tapped);
        tapped = copied;
    };
    while (copied < frames && !paused_ && !closed_ && current_ < queue_.size()) {
        WaveBuffer* buffer = queue_[current_];
        if (offset_ == 0 && !inLoop_ && (buffer->flags.load() & WaveBuffer::kBeginLoop)) {
            // Only a buffer at the front can begin a loop: everything before
            // it has been returned already.
            inLoop_ = true;
            loopPasses_ = std::max<uint32_t>(buffer->loops, 1);
            loopPassesPlayed_ = 0;
            loopPassFrames_ = 0;
        }
        // A trailing partial frame is never played.
        const uint32_t usable = buffer->length / blockAlign * blockAlign;
        const size_t take = std::min<size_t>((usable - offset_) / blockAlign, frames - copied);
        if (take > 0) {
            std::memcpy(out + copied * channels, buffer->data + offset_, take * blockAlign);
            offset_ += static_cast<uint32_t>(take * blockAlign);
            copied += take;
            position_ += take;
            loopPassFrames_ += take;
        }
        if (offset_ < usable)
            break;  // out is full
        offset_ = 0;
        if (!inLoop_) {
            flushTap();
            ReturnFront(1);
            continue;
        }
        if (!(buffer->flags.load() & WaveBuffer::kEndLoop)) {
            ++current_;
            continue;
        }
        ++loopPassesPlayed_;
        // A loop of empty buffers would never end: one pass is all it gets.
        if (loopPassesPlayed_ < loopPasses_ && loopPassFrames_ > 0) {
            current_ = 0;
            loopPassFrames_ = 0;
            continue;
        }
        const size_t loopLength = current_ + 1;
        inLoop_ = false;
        current_ = 0;
        flushTap();
        ReturnFront(loopLength);
    }
    flushTap();
    return copied;
}

void WaveOutQueue::MarkDone(WaveBuffer* buffer) {
    const uint32_t flags = buffer->flags.load();
    buffer->flags.store((flags | WaveBuffer::kDone) & ~WaveBuffer::kInQueue,
                        std::memory_order_release);
    notifier_.Notify(buffer);
}

void WaveOutQueue::ReturnFront(size_t count) {
    for (size_t i = 0; i < count && !queue_.empty(); ++i) {
        WaveBuffer* buffer = queue_.front();
        queue_.pop_front();
        MarkDone(buffer);
    }
}

void WaveOutQueue::ReturnAll() {
    ReturnFront(queue_.size());
    current_ = 0;
    offset_ = 0;
    inLoop_ = false;
    loopPasses_ = 0;
    loopPassesPlayed_ = 0;
    loopPassFrames_ = 0;
}

}  // namespace orvia
