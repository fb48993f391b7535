// The caller-id flash: a small window with the line, the number and the
// name of a ringing call ("line\r\nnumber\r\nname"), on top of the others
// without taking the keyboard focus. The main window's timer 4 closes it
// (15 s after each flash); a click closes it at once.
//
// Main thread only.
#pragma once

#include <QFrame>

class QLabel;

namespace orvia {

class CallerIdFlash : public QFrame {
    Q_OBJECT

public:
    CallerIdFlash();
    void Flash(const QString& text);
    QString Text() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QLabel* text_;
};

// The flash text as lines: CR LF pairs become line breaks, other control
// characters go.
QString CallerIdLines(const std::string& text);

}  // namespace orvia
