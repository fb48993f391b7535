#include "platform/alsa/alsa_clocks_p.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/thread/thread.h"

namespace orvia {
namespace {

constexpr int kWaitMs = 100;
constexpr int kFallbackTickMs = 10;

// Real time since the device started, in frames.
class RealTime {
public:
    explicit RealTime(int rate) : rate_(rate), start_(std::chrono::steady_clock::now()) {}

    uint64_t Frames() const {
        const auto elapsed = std::chrono::steady_clock::now() - start_;
        const auto us = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
        return static_cast<uint64_t>(us) * static_cast<uint64_t>(rate_) / 1000000u;
    }

    // Milliseconds until real time reaches frames (0 when it has).
    int MsUntil(uint64_t frames) const {
        const uint64_t now = Frames();
        if (frames <= now)
            return 0;
        return static_cast<int>((frames - now) * 1000u / static_cast<uint64_t>(rate_)) + 1;
    }

private:
    const int rate_;
    const std::chrono::steady_clock::time_point start_;
};

class AlsaClock : public WaveDeviceClock, protected LThread {
public:
    AlsaClock(AlsaPcm pcm, const AlsaPcmConfig& config, int rate, int channels)
        : pcm_(std::move(pcm)),
          period_(config.periodFrames),
          buffer_(config.bufferFrames),
          rate_(rate),
          block_(static_cast<size_t>(config.periodFrames) * static_cast<size_t>(channels)) {}

protected:
    // Waits until a period can be moved; false when the PCM failed for good.
    bool WaitForPeriod() {
        const snd_pcm_sframes_t avail = snd_pcm_avail_update(pcm_.get());
        if (avail < 0)
            return Recover(static_cast<int>(avail));
        if (static_cast<snd_pcm_uframes_t>(avail) >= period_)
            return true;
        const int waited = snd_pcm_wait(pcm_.get(), kWaitMs);
        return waited >= 0 || Recover(waited);
    }

    bool Recover(int error) {
        if (error == -EAGAIN)
            return true;
        if (snd_pcm_recover(pcm_.get(), error, 1) < 0)
            return false;
        OnRecovered();
        return true;
    }

    virtual void OnRecovered() {}

    // Keeps a PCM without a real clock to real time; a real card never runs
    // more than its buffer ahead, so this does not touch it.
    void HoldToRealTime(const RealTime& clock, uint64_t moved) {
        const uint64_t slack = buffer_ + period_;
        if (moved > slack) {
            const int ms = clock.MsUntil(moved - slack);
            if (ms > 0)
                WaitForStop(ms);
        }
    }

    AlsaPcm pcm_;
    const snd_pcm_uframes_t period_;
    const snd_pcm_uframes_t buffer_;
    const int rate_;
    std::vector<int16_t> block_;
};

class AlsaPlaybackClock : public AlsaClock {
public:
    AlsaPlaybackClock(AlsaPcm pcm, const AlsaPcmConfig& config, std::shared_ptr<WaveOutQueue> queue)
        : AlsaClock(std::move(pcm), config, queue->Format().rate, queue->Format().channels),
          queue_(std::move(queue)) {
        Start(ThreadPriority::Highest);
    }
    ~AlsaPlaybackClock() override { Stop(); }

private:
    void Run() override {
        const RealTime clock(rate_);
        const size_t channels = static_cast<size_t>(queue_->Format().channels);
        uint64_t written = 0;
        bool failed = false;
        while (!StopRequested() && !failed) {
            if (!WaitForPeriod()) {
                failed = true;
                break;
            }
            const snd_pcm_sframes_t avail = snd_pcm_avail_update(pcm_.get());
            if (avail < static_cast<snd_pcm_sframes_t>(period_))
                continue;
            // Silence keeps the stream running while paused or starved.
            const size_t pulled = queue_->Pull(block_.data(), period_);
            std::fill(block_.begin() + static_cast<std::ptrdiff_t>(pulled * channels), block_.end(),
                      int16_t{0});
            const snd_pcm_sframes_t done = snd_pcm_writei(pcm_.get(), block_.data(), period_);
            if (done < 0) {
                failed = !Recover(static_cast<int>(done));
                continue;
            }
            written += static_cast<uint64_t>(done);
            HoldToRealTime(clock, written);
        }
        if (failed)
            DiscardInRealTime();
    }

    void DiscardInRealTime() {
        const RealTime clock(rate_);
        uint64_t taken = 0;
        while (!WaitForStop(kFallbackTickMs)) {
            const uint64_t due = clock.Frames();
            while (taken < due) {
                const size_t chunk = static_cast<size_t>(std::min<uint64_t>(due - taken, period_));
                queue_->Pull(block_.data(), chunk);
                taken += chunk;
            }
        }
    }

    std::shared_ptr<WaveOutQueue> queue_;
};

class AlsaCaptureClock : public AlsaClock {
public:
    AlsaCaptureClock(AlsaPcm pcm, const AlsaPcmConfig& config, std::shared_ptr<WaveInQueue> queue)
        : AlsaClock(std::move(pcm), config, queue->Format().rate, queue->Format().channels),
          queue_(std::move(queue)) {
        Start(ThreadPriority::Highest);
    }
    ~AlsaCaptureClock() override { Stop(); }

private:
    void OnRecovered() override { snd_pcm_start(pcm_.get()); }

    void Run() override {
        const RealTime clock(rate_);
        uint64_t read = 0;
        bool failed = snd_pcm_start(pcm_.get()) < 0;
        while (!StopRequested() && !failed) {
            if (!WaitForPeriod()) {
                failed = true;
                break;
            }
            const snd_pcm_sframes_t got = snd_pcm_readi(pcm_.get(), block_.data(), period_);
            if (got < 0) {
                failed = !Recover(static_cast<int>(got));
                continue;
            }
            queue_->Push(block_.data(), static_cast<size_t>(got));
            read += static_cast<uint64_t>(got);
            HoldToRealTime(clock, read);
        }
        if (failed)
            SilenceInRealTime();
    }

    void SilenceInRealTime() {
        std::fill(block_.begin(), block_.end(), int16_t{0});
        const RealTime clock(rate_);
        uint64_t given = 0;
        while (!WaitForStop(kFallbackTickMs)) {
            const uint64_t due = clock.Frames();
            while (given < due) {
                const size_t chunk = static_cast<size_t>(std::min<uint64_t>(due - given, period_));
                queue_->Push(block_.data(), chunk);
                given += chunk;
            }
        }
    }

    std::shared_ptr<WaveInQueue> queue_;
};

}  // namespace

std::unique_ptr<WaveDeviceClock> StartAlsaPlayback(AlsaPcm pcm, const AlsaPcmConfig& config,
                                                   std::shared_ptr<WaveOutQueue> queue) {
    return std::make_unique<AlsaPlaybackClock>(std::move(pcm), config, std::move(queue));
}

std::unique_ptr<WaveDeviceClock> StartAlsaCapture(AlsaPcm pcm, const AlsaPcmConfig& config,
                                                  std::shared_ptr<WaveInQueue> queue) {
    return std::make_unique<AlsaCaptureClock>(std::move(pcm), config, std::move(queue));
}

}  // namespace orvia
