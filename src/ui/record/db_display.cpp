#include "ui/record/db_display.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "audio/playback/sound_levels.h"

namespace orvia {
namespace {

constexpr int kGap = 2;
const QColor kTrack("#2b2f33");
const QColor kGreen("#40c057");
const QColor kAmber("#fab005");
const QColor kRed("#fa5252");

int Limited(int db) {
    return std::clamp(db, LDBDisplay::kMinDb, LDBDisplay::kMaxDb);
}

}  // namespace

LDBDisplay::LDBDisplay(QWidget* parent) : QWidget(parent) {
    levels_.fill(kMinDb);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setToolTip(tr("Level (-36 dB to +12 dB)"));
}

int LDBDisplay::BarLength(int db, int width) {
    return (Limited(db) - kMinDb) * width / (kMaxDb - kMinDb);
}

int LDBDisplay::BarLevel(int bar) const {
    return bar >= 0 && bar < bars_ ? levels_[static_cast<std::size_t>(bar)] : kMinDb;
}

QSize LDBDisplay::sizeHint() const {
    return {fontMetrics().averageCharWidth() * 30, 22};
}

QSize LDBDisplay::minimumSizeHint() const {
    return {96, 12};
}

QRect LDBDisplay::BarRect(int bar) const {
    const int count = std::max(bars_, 1);
    const int height = std::max((this->height() - kGap * (count + 1)) / count, 1);
    return {kGap, kGap + bar * (height + kGap), width() - 2 * kGap, height};
}

void LDBDisplay::SetLevels(const LSoundLevels& levels) {
    const int bars = std::min<int>(levels.count, kMaxBars);
    if (bars != bars_) {
        bars_ = bars;
        for (int i = 0; i < kMaxBars; ++i)
            levels_[static_cast<std::size_t>(i)] = i < bars ? Limited(levels.levels[i]) : kMinDb;
        update();
        return;
    }
    for (int i = 0; i < bars; ++i) {
        const int level = Limited(levels.levels[i]);
        int& shown = levels_[static_cast<std::size_t>(i)];
        if (level == shown)
            continue;
        // Only the stretch between the old and the new end is repainted.
        const QRect bar = BarRect(i);
        const int from = BarLength(std::min(level, shown), bar.width());
        const int to = BarLength(std::max(level, shown), bar.width());
        shown = level;
        update(QRect(bar.x() + from - 1, bar.y(), to - from + 2, bar.height()));
    }
}

void LDBDisplay::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Window).darker(160));
    const int count = std::max(bars_, 1);
    for (int i = 0; i < count; ++i) {
        const QRect bar = BarRect(i);
        painter.fillRect(bar, kTrack);
        const int lit = BarLength(BarLevel(i), bar.width());
        const int amberAt = BarLength(-6, bar.width());
        const int redAt = BarLength(0, bar.width());
        painter.fillRect(QRect(bar.x(), bar.y(), std::min(lit, amberAt), bar.height()), kGreen);
        if (lit > amberAt)
            painter.fillRect(
                QRect(bar.x() + amberAt, bar.y(), std::min(lit, redAt) - amberAt, bar.height()),
                kAmber);
        if (lit > redAt)
            painter.fillRect(QRect(bar.x() + redAt, bar.y(), lit - redAt, bar.height()), kRed);
    }
    // Marks at 0 dB and every 12 dB below.
    painter.setPen(QColor(255, 255, 255, 90));
    for (int db = kMinDb + 12; db <= 0; db += 12) {
        const int x = kGap + BarLength(db, width() - 2 * kGap);
        painter.drawLine(x, 0, x, height());
    }
}

}  // namespace orvia
