// LWaveWindow: the record control's wave display. It paints the peak
// columns of the stretch of the recording around the position (a column a
// pixel, at most 2048), frames outside the recording shaded, and a cursor at
// the position (a band of its width while a preview is held). The columns
// come from the scan thread (LWaveScan) through the shared WavePeaks; the
// thread asks for a repaint through the dispatcher.
//
// Main thread only, except RequestRepaint (any thread).
#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "ui/record/wave_peaks.h"

namespace orvia {

class Dispatcher;

class LWaveWindow : public QWidget {
    Q_OBJECT

public:
    explicit LWaveWindow(QWidget* parent = nullptr);
    ~LWaveWindow() override;

    // Shows count frames from the first frame (the scan fills the columns).
    void SetView(int64_t from, int64_t count);
    // The recording's length in frames (frames at and beyond it are shaded).
    void SetLength(int64_t frames);
    // The cursor: a frame and a width in frames (0: a line).
    void SetCursor(int64_t frame, int64_t width);

    int64_t CursorFrame() const { return cursor_; }
    int64_t Length() const { return length_; }
    // The number of columns (the width in pixels, at most 2048).
    int Columns() const;

    const std::shared_ptr<WavePeaks>& Peaks() const;
    // A callable for the scan thread: asks the window to repaint soon.
    // Several requests before the repaint make one.
    std::function<void()> RepaintRequest() const;
    // Called when the number of columns changes (the scan must run again).
    void SetOnResize(std::function<void()> callback) { onResize_ = std::move(callback); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Shared;

    std::shared_ptr<Shared> shared_;
    int64_t length_ = 0;
    int64_t cursor_ = 0;
    int64_t cursorWidth_ = 0;
    std::function<void()> onResize_;
};

}  // namespace orvia
