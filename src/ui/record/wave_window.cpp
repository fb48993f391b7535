#include "ui/record/wave_window.h"

#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <atomic>

#include "platform/dispatch/dispatcher.h"
#include "platform/thread/thread_affinity.h"

namespace orvia {
namespace {

const QColor kBackground("#1e2326");
const QColor kOutside("#2c3236");
const QColor kWave("#51cf66");
const QColor kCentre("#3b4348");
const QColor kCursor("#ffd43b");

}  // namespace

struct LWaveWindow::Shared {
    std::shared_ptr<WavePeaks> peaks = std::make_shared<WavePeaks>();
    Dispatcher* dispatcher = nullptr;
    std::atomic<bool> repaintPosted{false};
    // Read and cleared on the main thread only.
    LWaveWindow* window = nullptr;
};

LWaveWindow::LWaveWindow(QWidget* parent) : QWidget(parent), shared_(std::make_shared<Shared>()) {
    ORVIA_ASSERT_MAIN_THREAD();
    shared_->dispatcher = CurrentDispatcher();
    shared_->window = this;
    setAttribute(Qt::WA_OpaquePaintEvent);
}

LWaveWindow::~LWaveWindow() {
    shared_->window = nullptr;
}

const std::shared_ptr<WavePeaks>& LWaveWindow::Peaks() const {
    return shared_->peaks;
}

int LWaveWindow::Columns() const {
    return std::clamp(width(), 0, WavePeaks::kMaxColumns);
}

void LWaveWindow::SetView(int64_t from, int64_t count) {
    Peaks()->SetView(from, count, Columns());
    update();
}

void LWaveWindow::SetLength(int64_t frames) {
    if (frames == length_)
        return;
    length_ = frames;
    update();
}

void LWaveWindow::SetCursor(int64_t frame, int64_t width) {
    if (frame == cursor_ && width == cursorWidth_)
        return;
    cursor_ = frame;
    cursorWidth_ = width;
    update();
}

std::function<void()> LWaveWindow::RepaintRequest() const {
    std::shared_ptr<Shared> shared = shared_;
    return [shared] {
        if (shared->dispatcher == nullptr || shared->repaintPosted.exchange(true))
            return;
        shared->dispatcher->Post([shared] {
            shared->repaintPosted = false;
            if (shared->window != nullptr)
                shared->window->update();
        });
    };
}

QSize LWaveWindow::sizeHint() const {
    return {fontMetrics().averageCharWidth() * 60, 90};
}

QSize LWaveWindow::minimumSizeHint() const {
    return {160, 48};
}

void LWaveWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const WavePeaks::View view = Peaks()->CurrentView();
    if (view.columns == Columns())
        return;
    Peaks()->SetView(view.from, view.count, Columns());
    if (onResize_)
        onResize_();
}

void LWaveWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int h = height();
    const int mid = h / 2;
    painter.fillRect(rect(), kBackground);
    const WavePeaks::View view = Peaks()->CurrentView();
    const std::vector<int16_t> columns = Peaks()->Columns();
    if (view.columns <= 0) {
        return;
    }
    const int64_t first = view.FirstColumn();
    auto frameX = [&](int64_t frame) {
        return static_cast<int>(FloorDiv(frame * view.columns, view.count) - first);
    };
    // Before the start and after the end of the recording.
    const int startX = std::clamp(frameX(0), 0, width());
    const int endX = std::clamp(frameX(length_), 0, width());
    painter.fillRect(QRect(0, 0, startX, h), kOutside);
    painter.fillRect(QRect(endX, 0, width() - endX, h), kOutside);
    painter.setPen(kCentre);
    painter.drawLine(startX, mid, endX, mid);

    painter.setPen(kWave);
    for (int x = 0; x < static_cast<int>(columns.size()); ++x) {
        const int peak = columns[static_cast<std::size_t>(x)];
        if (peak <= 0)
            continue;
        const int reach = std::max(1, peak * (mid - 2) / 255);
        painter.drawLine(x, mid - reach, x, mid + reach);
    }

    const int cursorX = frameX(cursor_);
    const int band = std::max(1, frameX(cursor_ + cursorWidth_) - cursorX);
    QColor cursor = kCursor;
    if (band > 1) {
        cursor.setAlpha(110);
        painter.fillRect(QRect(cursorX, 0, band, h), cursor);
    } else {
        painter.setPen(cursor);
        painter.drawLine(cursorX, 0, cursorX, h);
    }
}

}  // namespace orvia
