#include "buttonicon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace {

QPixmap renderSvg(QSvgRenderer& renderer, int size, qreal dpr)
{
    QPixmap pixmap(QSize(size, size) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
    return pixmap;
}

// The disabled state: grey and lighter, keeping the shape's transparency.
QPixmap greyed(const QPixmap& pixmap)
{
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = 110 + qGray(line[x]) * 100 / 255;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) * 3 / 4);
        }
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(pixmap.devicePixelRatio());
    return result;
}

} // namespace

QIcon makeButtonIcon(const QString& resource, int size)
{
    // Normal, disabled, pressed and held-down pictures from one drawing.
    QSvgRenderer renderer(resource);
    QIcon icon;
    for (qreal dpr : {1.0, 2.0}) {
        const QPixmap normal = renderSvg(renderer, size, dpr);
        const QPixmap disabled = greyed(normal);
        for (QIcon::State state : {QIcon::Off, QIcon::On}) {
            icon.addPixmap(normal, QIcon::Normal, state);
            icon.addPixmap(normal, QIcon::Active, state);
            icon.addPixmap(normal, QIcon::Selected, state);
            icon.addPixmap(disabled, QIcon::Disabled, state);
        }
    }
    return icon;
}
