#include "ui/framework/pictures.h"

#include <QIconEngine>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

static void InitResourcesOutsideNamespace() {
    Q_INIT_RESOURCE(ui_resources);
}

namespace orvia {
namespace {

QString PicturePath(const char* name) {
    return QString(":/icons/%1.svg").arg(QString::fromLatin1(name));
}

// Renders the SVG at whatever size Qt asks for, so a picture is sharp at
// 16 px, 48 px and on a scaled screen. The disabled look comes from Qt.
class SvgIconEngine : public QIconEngine {
public:
    explicit SvgIconEngine(QString path) : path_(std::move(path)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        QSvgRenderer renderer(path_);
        if (!renderer.isValid())
            return;
        // Keeps the picture's proportions inside the rectangle.
        QSizeF size = renderer.defaultSize();
        size.scale(rect.size(), Qt::KeepAspectRatio);
        const QRectF target(rect.x() + (rect.width() - size.width()) / 2,
                            rect.y() + (rect.height() - size.height()) / 2, size.width(),
                            size.height());
        renderer.render(painter, target);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        }
        if (mode == QIcon::Disabled)
            return DisabledLook(pixmap);
        return pixmap;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        QSvgRenderer renderer(path_);
        QSize natural = renderer.isValid() ? renderer.defaultSize() : size;
        natural.scale(size, Qt::KeepAspectRatio);
        return natural;
    }

    QIconEngine* clone() const override { return new SvgIconEngine(path_); }

private:
    static QPixmap DisabledLook(const QPixmap& pixmap) {
        QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int grey = qGray(line[x]);
                line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) / 2);
            }
        }
        return QPixmap::fromImage(image);
    }

    QString path_;
};

}  // namespace

void InitUiResources() {
    static const bool done = [] {
        InitResourcesOutsideNamespace();
        return true;
    }();
    (void)done;
}

QIcon Picture(const char* name) {
    return QIcon(new SvgIconEngine(PicturePath(name)));
}

QPixmap PicturePixmap(const char* name, QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(PicturePath(name));
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

}  // namespace orvia
