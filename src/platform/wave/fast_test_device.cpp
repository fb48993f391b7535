#include "platform/wave/fast_test_device.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include "platform/thread/thread.h"

namespace orvia {

struct FastTestDevice::Shared {
    mutable std::mutex mutex;
    WaveInputSource input;
    std::vector<int16_t> captured;
    size_t captureLimit = size_t{1} << 22;
    uint64_t played = 0;

    void Capture(const int16_t* samples, size_t count) {
        std::lock_guard<std::mutex> guard(mutex);
        played += count;
        const size_t room = captureLimit > captured.size() ? captureLimit - captured.size() : 0;
        captured.insert(captured.end(), samples, samples + std::min(room, count));
    }
};

namespace {

constexpr size_t kChunkFrames = 1024;
constexpr int kIdleWaitMs = 50;

class FastOutputClock : public WaveDeviceClock, private LThread {
public:
    FastOutputClock(std::shared_ptr<WaveOutQueue> queue,
                    std::shared_ptr<FastTestDevice::Shared> shared)
        : queue_(std::move(queue)), shared_(std::move(shared)) {
        Start();
    }
    ~FastOutputClock() override { Stop(); }

private:
    void Run() override {
        const size_t channels = static_cast<size_t>(queue_->Format().channels);
        std::vector<int16_t> block(kChunkFrames * channels);
        while (!StopRequested()) {
            if (!queue_->WaitForWork(kIdleWaitMs))
                continue;
            // Kept before the buffers come back, so a done buffer is captured.
            queue_->Pull(block.data(), kChunkFrames, [&](const int16_t* frames, size_t count) {
                shared_->Capture(frames, count * channels);
            });
            if (queue_->LoopPassesPlayed() > 1)
                WaitForStop(1);
        }
    }

    std::shared_ptr<WaveOutQueue> queue_;
    std::shared_ptr<FastTestDevice::Shared> shared_;
};

class FastInputClock : public WaveDeviceClock, private LThread {
public:
    FastInputClock(std::shared_ptr<WaveInQueue> queue, WaveInputSource source)
        : queue_(std::move(queue)), source_(std::move(source)) {
        Start();
    }
    ~FastInputClock() override { Stop(); }

private:
    void Run() override {
        const PcmFormat format = queue_->Format();
        const size_t channels = static_cast<size_t>(format.channels);
        std::vector<int16_t> block(kChunkFrames * channels);
        while (!StopRequested()) {
            if (!queue_->WaitForWork(kIdleWaitMs))
                continue;
            // Only as much as the buffers can take, so no input is lost.
            const size_t want = std::min(kChunkFrames, queue_->FreeFrames());
            if (want == 0)
                continue;
            size_t made = source_ ? source_(block.data(), want, format) : 0;
            if (made == 0)
                source_ = nullptr;  // exhausted: silence from now on
            made = std::min(made, want);
            std::fill(block.begin() + static_cast<std::ptrdiff_t>(made * channels),
                      block.begin() + static_cast<std::ptrdiff_t>(want * channels), int16_t{0});
            queue_->Push(block.data(), want);
        }
    }

    std::shared_ptr<WaveInQueue> queue_;
    WaveInputSource source_;
};

}  // namespace

FastTestDevice::FastTestDevice(std::string name)
    : name_(std::move(name)), shared_(std::make_shared<Shared>()) {}

WaveResult FastTestDevice::OpenOutput(const PcmFormat& format, bool, WaveDoneNotifier notifier,
                                      std::unique_ptr<WaveOutDevice>* device) {
    auto queue = std::make_shared<WaveOutQueue>(format, std::move(notifier));
    auto clock = std::make_unique<FastOutputClock>(queue, shared_);
    *device = std::make_unique<WaveOutDevice>(std::move(queue), std::move(clock));
    return WaveResult::Ok;
}

WaveResult FastTestDevice::OpenInput(const PcmFormat& format, bool, WaveDoneNotifier notifier,
                                     std::unique_ptr<WaveInDevice>* device) {
    WaveInputSource source;
    {
        std::lock_guard<std::mutex> guard(shared_->mutex);
        source = shared_->input;
    }
    auto queue = std::make_shared<WaveInQueue>(format, std::move(notifier));
    auto clock = std::make_unique<FastInputClock>(queue, std::move(source));
    *device = std::make_unique<WaveInDevice>(std::move(queue), std::move(clock));
    return WaveResult::Ok;
}

void FastTestDevice::SetInput(WaveInputSource source) {
    std::lock_guard<std::mutex> guard(shared_->mutex);
    shared_->input = std::move(source);
}

std::vector<int16_t> FastTestDevice::CapturedOutput() const {
    std::lock_guard<std::mutex> guard(shared_->mutex);
    return shared_->captured;
}

uint64_t FastTestDevice::PlayedSamples() const {
    std::lock_guard<std::mutex> guard(shared_->mutex);
    return shared_->played;
}

void FastTestDevice::ClearCapturedOutput() {
    std::lock_guard<std::mutex> guard(shared_->mutex);
    shared_->captured.clear();
    shared_->played = 0;
}

void FastTestDevice::SetCaptureLimit(size_t samples) {
    std::lock_guard<std::mutex> guard(shared_->mutex);
    shared_->captureLimit = samples;
}

}  // namespace orvia
