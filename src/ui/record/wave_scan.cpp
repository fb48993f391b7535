#include "ui/record/wave_scan.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <mutex>

namespace orvia {

LWaveScan::LWaveScan(LSoundSource source, std::shared_ptr<WavePeaks> peaks,
                     std::function<void()> repaint)
    : source_(std::move(source)),
      peaks_(std::move(peaks)),
      repaint_(std::move(repaint)),
      buffer_(std::make_unique<int32_t[]>(static_cast<std::size_t>(kMaxBlockFrames) *
                                          (source_ ? source_->channels : 1))) {}

LWaveScan::~LWaveScan() {
    Shutdown();
}

void LWaveScan::Shutdown() {
    quitting_ = true;
    request_.Set();
    Stop();
}

void LWaveScan::Request(int64_t from, int64_t count) {
    {
        std::lock_guard<LLockObject> guard(Lock());
        wantedFrom_ = from;
        wantedCount_ = count;
        wanted_ = true;
    }
    request_.Set();
}

void LWaveScan::Run() {
    while (!Quitting()) {
        Range range;
        bool wanted;
        {
            std::lock_guard<LLockObject> guard(Lock());
            request_.Reset();
            wanted = wanted_;
            range.from = wantedFrom_;
            range.count = wantedCount_;
        }
        range.columns = peaks_->CurrentView().columns;
        if (!wanted || range.count <= 0 || range.columns <= 0 || range == done_) {
            request_.Wait(5000);
            continue;
        }
        if (Scan(range)) {
            done_ = range;
            ++completed_;
        }
    }
}

int LWaveScan::Peak(int64_t frames) {
    const int channels = source_->channels;
    int32_t peak = 0;
    while (frames > 0 && !Quitting()) {
        const auto piece = static_cast<int32_t>(std::min<int64_t>(frames, kMaxBlockFrames));
        source_->Read(buffer_.get(), piece);
        for (int32_t i = 0; i < piece * channels; ++i)
            peak = std::max(peak, std::abs(buffer_[static_cast<std::size_t>(i)]));
        frames -= piece;
        sourcePosition_ += piece;
    }
    return std::min(peak >> 10, 255);
}

bool LWaveScan::Scan(const Range& range) {
    if (IsInvalid(source_))
        return true;
    // A file still being written grows: seeking past the known end makes
    // the reader look at its size again.
    source_->Seek(std::numeric_limits<int32_t>::max());
    const int64_t length = source_->GetLength();
    sourcePosition_ = -1;
    const WavePeaks::View view{range.from, range.count, range.columns};
    const int64_t first = view.FirstColumn();
    bool stored = false;
    for (int x = 0; x < range.columns; ++x) {
        if (Quitting())
            return false;
        const int64_t column = first + x;
        const int64_t start = view.ColumnFrame(column);
        const int64_t end = view.ColumnFrame(column + 1);
        int peak = WavePeaks::kNone;
        if (end > 0 && start < length) {
            const int64_t from = std::max<int64_t>(start, 0);
            if (sourcePosition_ != from) {
                source_->Seek(static_cast<int32_t>(from));
                sourcePosition_ = from;
            }
            peak = Peak(std::min(end, length) - from);
        }
        stored = peaks_->Store(column, peak, range.count, range.columns) || stored;
        if (stored && repaint_ && (x % 32 == 31 || x + 1 == range.columns)) {
            repaint_();
            stored = false;
        }
    }
    return true;
}

}  // namespace orvia
