// The peak columns the record control's wave display shows, shared between
// the display (main thread) and its scan thread.
//
// The display shows a stretch of the recording (count frames from a first
// frame) across its columns. A column is addressed by its absolute index,
// frame x columns / count rounded down, so a column keeps its index while
// the stretch moves along the recording and what was scanned stays valid.
// A column holds a peak byte (0..255) or nothing yet.
//
// Threads: any thread; every member takes the object's lock.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

namespace orvia {

// floor(a / b) for b > 0.
int64_t FloorDiv(int64_t a, int64_t b);

class WavePeaks {
public:
    static constexpr int kMaxColumns = 2048;
    static constexpr int kNone = -1;  // a column not scanned yet, or beyond the data

    struct View {
        int64_t from = 0;   // first frame shown
        int64_t count = 1;  // frames shown across the columns
        int columns = 0;
        int64_t FirstColumn() const { return FloorDiv(from * columns, count); }
        // The first frame of an absolute column.
        int64_t ColumnFrame(int64_t column) const { return FloorDiv(column * count, columns); }
    };

    // Shows count frames from from across columns (at most kMaxColumns):
    // columns still shown keep their peaks, new ones have none.
    void SetView(int64_t from, int64_t count, int columns);
    View CurrentView() const;

    // Stores the peak of an absolute column of a view with this count and
    // number of columns; ignored unless that column is shown now. Returns
    // true when it was stored.
    bool Store(int64_t column, int peak, int64_t count, int columns);

    // The shown columns, first to last.
    std::vector<int16_t> Columns() const;

private:
    mutable std::mutex mutex_;
    View view_;
    int64_t first_ = 0;  // absolute index of the first shown column
    std::vector<int16_t> columns_;
};

}  // namespace orvia
