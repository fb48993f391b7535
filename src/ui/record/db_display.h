// LDBDisplay: the record control's level meter. Up to 8 channel bars over
// -36..+12 dB (a level is limited to that range; bar length =
// (level + 36) x width / 48): green up to -6 dB, amber up to 0 dB, red above,
// over a dimmed track. Only the part of a bar that changed is repainted.
//
// Main thread only.
#pragma once

#include <QWidget>
#include <array>

namespace orvia {

struct LSoundLevels;

class LDBDisplay : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMaxBars = 8;
    static constexpr int kMinDb = -36;
    static constexpr int kMaxDb = 12;

    explicit LDBDisplay(QWidget* parent = nullptr);

    // Shows a level record; an empty one (no channels) clears the bars.
    void SetLevels(const LSoundLevels& levels);
    int BarCount() const { return bars_; }
    // The level a bar shows, limited to the range; kMinDb for no bar.
    int BarLevel(int bar) const;
    // The length in pixels of a bar showing the level, for a width.
    static int BarLength(int db, int width);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect BarRect(int bar) const;

    int bars_ = 0;
    std::array<int, kMaxBars> levels_{};
};

}  // namespace orvia
