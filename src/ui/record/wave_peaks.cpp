#include "ui/record/wave_peaks.h"

#include <algorithm>

namespace orvia {

int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

void WavePeaks::SetView(int64_t from, int64_t count, int columns) {
    std::lock_guard<std::mutex> guard(mutex_);
    columns = std::clamp(columns, 0, kMaxColumns);
    count = std::max<int64_t>(count, 1);
    View next{from, count, columns};
    const int64_t first = next.FirstColumn();
    std::vector<int16_t> shown(static_cast<std::size_t>(columns), kNone);
    if (count == view_.count && columns == view_.columns) {
        // The same scale: the columns both views show keep their peaks.
        for (int x = 0; x < columns; ++x) {
            const int64_t old = first + x - first_;
            if (old >= 0 && old < static_cast<int64_t>(columns_.size()))
                shown[static_cast<std::size_t>(x)] = columns_[static_cast<std::size_t>(old)];
        }
    }
    view_ = next;
    first_ = first;
    columns_ = std::move(shown);
}

WavePeaks::View WavePeaks::CurrentView() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return view_;
}

bool WavePeaks::Store(int64_t column, int peak, int64_t count, int columns) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (count != view_.count || columns != view_.columns)
        return false;
    const int64_t x = column - first_;
    if (x < 0 || x >= static_cast<int64_t>(columns_.size()))
        return false;
    columns_[static_cast<std::size_t>(x)] = static_cast<int16_t>(std::clamp(peak, kNone, 255));
    return true;
}

std::vector<int16_t> WavePeaks::Columns() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return columns_;
}

}  // namespace orvia
