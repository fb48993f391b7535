#include "platform/wave/wave_in_queue.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>

namespace orvia {

WaveInQueue::WaveInQueue(const PcmFormat& format, WaveDoneNotifier notifier)
    : format_(format), notifier_(std::move(notifier)) {}

WaveInQueue::~WaveInQueue() {
    Close();
}

uint32_t WaveInQueue::Usable(const WaveBuffer* buffer) const {
    const uint32_t blockAlign = static_cast<uint32_t>(format_.BlockAlign());
    return buffer->length / blockAlign * blockAlign;
}

WaveResult WaveInQueue::AddBuffer(WaveBuffer* buffer) {
    // A buffer that cannot hold one frame would never fill and hold up the
    // buffers behind it.
    if (!buffer || !buffer->data || Usable(buffer) == 0)
        return WaveResult::InvalidParam;
    std::lock_guard<std::mutex> guard(mutex_);
    if (closed_)
        return WaveResult::Error;
    const uint32_t flags = buffer->flags.load();
    if (flags & WaveBuffer::kInQueue)
        return WaveResult::StillPlaying;
    buffer->bytesRecorded.store(0);
    buffer->flags.store((flags & ~WaveBuffer::kDone) | WaveBuffer::kInQueue);
    queue_.push_back(buffer);
    work_.notify_all();
    return WaveResult::Ok;
}

void WaveInQueue::Start() {
    std::lock_guard<std::mutex> guard(mutex_);
    started_ = true;
    work_.notify_all();
}

void WaveInQueue::Stop() {
    std::lock_guard<std::mutex> guard(mutex_);
    started_ = false;
    if (!queue_.empty() && queue_.front()->bytesRecorded.load() > 0) {
        WaveBuffer* partial = queue_.front();
        queue_.pop_front();
        MarkDone(partial);
    }
}

void WaveInQueue::Reset() {
    std::lock_guard<std::mutex> guard(mutex_);
    started_ = false;
    ReturnAll();
    position_ = 0;
}

uint64_t WaveInQueue::Position() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return position_;
}

bool WaveInQueue::IsStarted() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return started_;
}

void WaveInQueue::Close() {
    std::lock_guard<std::mutex> guard(mutex_);
    notifier_.Close();
    started_ = false;
    ReturnAll();
    closed_ = true;
    work_.notify_all();
}

size_t WaveInQueue::Push(const int16_t* frames, size_t count) {
    std::lock_guard<std::mutex> guard(mutex_);
    const uint32_t blockAlign = static_cast<uint32_t>(format_.BlockAlign());
    const auto* bytes = reinterpret_cast<const uint8_t*>(frames);
    size_t stored = 0;
    while (started_ && stored < count && !queue_.empty()) {
        WaveBuffer* buffer = queue_.front();
        const uint32_t filled = buffer->bytesRecorded.load();
        const uint32_t usable = Usable(buffer);
        const size_t take = std::min<size_t>((usable - filled) / blockAlign, count - stored);
        std::memcpy(buffer->data + filled, bytes + stored * blockAlign, take * blockAlign);
        buffer->bytesRecorded.store(filled + static_cast<uint32_t>(take * blockAlign));
        stored += take;
        position_ += take;
        if (filled + take * blockAlign >= usable) {
            queue_.pop_front();
            MarkDone(buffer);
        }
    }
    return stored;
}

size_t WaveInQueue::FreeFrames() const {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!started_)
        return 0;
    size_t bytes = 0;
    for (const WaveBuffer* buffer : queue_)
        bytes += Usable(buffer) - buffer->bytesRecorded.load();
    return bytes / static_cast<size_t>(format_.BlockAlign());
}

bool WaveInQueue::WaitForWork(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto ready = [this] { return closed_ || (started_ && !queue_.empty()); };
    work_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    return !closed_ && started_ && !queue_.empty();
}

bool WaveInQueue::IsClosed() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return closed_;
}

void WaveInQueue::MarkDone(WaveBuffer* buffer) {
    const uint32_t flags = buffer->flags.load();
    buffer->flags.store((flags | WaveBuffer::kDone) & ~WaveBuffer::kInQueue,
                        std::memory_order_release);
    notifier_.Notify(buffer);
}

void WaveInQueue::ReturnAll() {
    while (!queue_.empty()) {
        WaveBuffer* buffer = queue_.front();
        queue_.pop_front();
        MarkDone(buffer);
    }
}

}  // namespace orvia
