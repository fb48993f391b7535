// LWaveScan: the thread that reads the recording for the wave display. The
// dialog hands it the stretch of frames to show (under its lock) and sets
// its request event; the thread turns the stretch into the display's
// columns, reads the frames of each column (in pieces of at most 8192),
// keeps the largest absolute sample, stores min(peak >> 10, 255) as the
// column's byte and asks the display to repaint. A stretch equal to the
// last one done (same columns too) is not read again; then the thread
// waits for the next request, at most 5 s at a time.
//
// The thread owns its source on the file and only reads it.
//
// Threads: Request and the destructor on the main thread; Run on its own.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "audio/sound_source.h"
#include "platform/thread/thread.h"
#include "ui/record/wave_peaks.h"

namespace orvia {

class LWaveScan : public LThread {
public:
    LWaveScan(LSoundSource source, std::shared_ptr<WavePeaks> peaks, std::function<void()> repaint);
    ~LWaveScan() override;

    // The stretch to show: count frames from the first frame.
    void Request(int64_t from, int64_t count);
    // Ends the thread (also done by the destructor).
    void Shutdown();

    // Stretches read to the end so far (for tests).
    int Completed() const { return completed_.load(); }

protected:
    void Run() override;

private:
    struct Range {
        int64_t from = 0;
        int64_t count = 0;
        int columns = 0;
        bool operator==(const Range&) const = default;
    };

    bool Quitting() const { return quitting_.load() || StopRequested(); }
    // False when it was stopped before the end.
    bool Scan(const Range& range);
    int Peak(int64_t frames);

    LSoundSource source_;
    std::shared_ptr<WavePeaks> peaks_;
    std::function<void()> repaint_;
    LSignalObject request_{true, false};
    std::atomic<bool> quitting_{false};
    std::atomic<int> completed_{0};
    // Guarded by the thread's lock.
    int64_t wantedFrom_ = 0;
    int64_t wantedCount_ = 0;
    bool wanted_ = false;
    // The scan thread's own.
    Range done_;
    int64_t sourcePosition_ = -1;
    std::unique_ptr<int32_t[]> buffer_;
};

}  // namespace orvia
