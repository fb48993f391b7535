#include "platform/wave/paced_test_device.h"

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

#include "platform/thread/thread.h"

namespace orvia {
namespace {

constexpr int kTickMs = 10;
constexpr size_t kChunkFrames = 1024;

// Counts the frames that real time has made due since the clock started.
class RealTimeFrames {
public:
    explicit RealTimeFrames(int rate) : rate_(rate), start_(std::chrono::steady_clock::now()) {}

    // Frames due since the last call; at most one second's worth, so a
    // stalled machine does not catch up in one burst.
    size_t TakeDue() {
        const auto elapsed = std::chrono::steady_clock::now() - start_;
        const auto us = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
        const uint64_t due = static_cast<uint64_t>(us) * static_cast<uint64_t>(rate_) / 1000000u;
        const uint64_t fresh = due - taken_;
        taken_ = due;
        return static_cast<size_t>(std::min<uint64_t>(fresh, static_cast<uint64_t>(rate_)));
    }

private:
    const int rate_;
    const std::chrono::steady_clock::time_point start_;
    uint64_t taken_ = 0;
};

class PacedOutputClock : public WaveDeviceClock, private LThread {
public:
    explicit PacedOutputClock(std::shared_ptr<WaveOutQueue> queue) : queue_(std::move(queue)) {
        Start(ThreadPriority::AboveNormal);
    }
    ~PacedOutputClock() override { Stop(); }

private:
    void Run() override {
        RealTimeFrames clock(queue_->Format().rate);
        std::vector<int16_t> block(kChunkFrames * static_cast<size_t>(queue_->Format().channels));
        while (!WaitForStop(kTickMs)) {
            for (size_t due = clock.TakeDue(); due > 0;) {
                const size_t chunk = std::min(due, kChunkFrames);
                queue_->Pull(block.data(), chunk);  // played into nowhere
                due -= chunk;
            }
        }
    }

    std::shared_ptr<WaveOutQueue> queue_;
};

class PacedInputClock : public WaveDeviceClock, private LThread {
public:
    explicit PacedInputClock(std::shared_ptr<WaveInQueue> queue) : queue_(std::move(queue)) {
        Start(ThreadPriority::AboveNormal);
    }
    ~PacedInputClock() override { Stop(); }

private:
    void Run() override {
        RealTimeFrames clock(queue_->Format().rate);
        const std::vector<int16_t> silence(
            kChunkFrames * static_cast<size_t>(queue_->Format().channels), 0);
        while (!WaitForStop(kTickMs)) {
            for (size_t due = clock.TakeDue(); due > 0;) {
                const size_t chunk = std::min(due, kChunkFrames);
                queue_->Push(silence.data(), chunk);
                due -= chunk;
            }
        }
    }

    std::shared_ptr<WaveInQueue> queue_;
};

}  // namespace

PacedTestDevice::PacedTestDevice(std::string name) : name_(std::move(name)) {}

WaveResult PacedTestDevice::OpenOutput(const PcmFormat& format, bool, WaveDoneNotifier notifier,
                                       std::unique_ptr<WaveOutDevice>* device) {
    auto queue = std::make_shared<WaveOutQueue>(format, std::move(notifier));
    auto clock = std::make_unique<PacedOutputClock>(queue);
    *device = std::make_unique<WaveOutDevice>(std::move(queue), std::move(clock));
    return WaveResult::Ok;
}

WaveResult PacedTestDevice::OpenInput(const PcmFormat& format, bool, WaveDoneNotifier notifier,
                                      std::unique_ptr<WaveInDevice>* device) {
    auto queue = std::make_shared<WaveInQueue>(format, std::move(notifier));
    auto clock = std::make_unique<PacedInputClock>(queue);
    *device = std::make_unique<WaveInDevice>(std::move(queue), std::move(clock));
    return WaveResult::Ok;
}

}  // namespace orvia
