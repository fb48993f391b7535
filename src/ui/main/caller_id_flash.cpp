#include "ui/main/caller_id_flash.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>

#include "ui/framework/pictures.h"

namespace orvia {

QString CallerIdLines(const std::string& text) {
    QString lines;
    const QString all = QString::fromStdString(text);
    for (int i = 0; i < all.size(); ++i) {
        if (all.mid(i, 2) == "\r\n") {
            lines += '\n';
            ++i;
        } else if (all[i] >= QChar(0x20)) {
            lines += all[i];
        }
    }
    return lines;
}

CallerIdFlash::CallerIdFlash()
    : QFrame(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus),
      text_(new QLabel(this)) {
    setObjectName("callerIdFlash");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(tr("Orvia Call"));
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor("#fff4d6"));
    colours.setColor(QPalette::WindowText, QColor("#212529"));
    colours.setColor(QPalette::Light, QColor("#f59f00"));
    colours.setColor(QPalette::Dark, QColor("#f59f00"));
    setPalette(colours);
    auto* picture = new QLabel(this);
    picture->setPixmap(Picture(kPictureTray).pixmap(QSize(32, 32)));
    picture->setAlignment(Qt::AlignTop);
    text_->setTextFormat(Qt::PlainText);
    QFont bigger = text_->font();
    bigger.setPointSizeF(bigger.pointSizeF() * 1.25);
    text_->setFont(bigger);
    text_->setMinimumWidth(fontMetrics().averageCharWidth() * 28);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(picture);
    layout->addWidget(text_, 1);
    setFrameShape(QFrame::Box);
}

void CallerIdFlash::Flash(const QString& text) {
    text_->setText(text);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.right() - width() - 16, area.top() + 16);
    }
    show();
}

QString CallerIdFlash::Text() const {
    return text_->text();
}

void CallerIdFlash::mousePressEvent(QMouseEvent*) {
    hide();
}

}  // namespace orvia
