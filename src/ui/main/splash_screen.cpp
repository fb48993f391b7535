#include "ui/main/splash_screen.h"

#include <QPainter>
#include <QTimer>

#include "ui/main/banner.h"
#include "ui/framework/pictures.h"

namespace orvia {

QPixmap SplashPicture() {
    const QSize size(480, 260);
    QPixmap pixmap = PicturePixmap(kPictureSplash, size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(Qt::white);
    QFont title = painter.font();
    title.setPixelSize(56);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRect(200, 46, 260, 70), Qt::AlignLeft | Qt::AlignVCenter, "Orvia");
    QFont text = painter.font();
    text.setPixelSize(16);
    text.setBold(false);
    painter.setFont(text);
    painter.drawText(QRect(202, 116, 256, 56), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     "Telephone answering machine\nand IVR");
    text.setPixelSize(14);
    painter.setFont(text);
    painter.drawText(QRect(16, 216, 448, 32), Qt::AlignRight | Qt::AlignVCenter, ProductTitle());
    return pixmap;
}

SplashScreen::SplashScreen() : QSplashScreen(SplashPicture()), timer_(new QTimer(this)) {
    setObjectName("splash");
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &SplashScreen::hide);
}

void SplashScreen::ShowForAWhile() {
    show();
    raise();
    timer_->start(kShownMs);
}

}  // namespace orvia
