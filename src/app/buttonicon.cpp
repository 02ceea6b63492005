#include "buttonicon.h"

#include <QAbstractButton>
#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace tavelorn {

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

QIcon inkedIcon(const QIcon& ink, const QIcon& overlay, int size, const QColor& colour)
{
    QIcon icon;
    for (qreal dpr : {1.0, 2.0}) {
        QPixmap normal = ink.pixmap(QSize(size, size), dpr);
        normal.setDevicePixelRatio(dpr);
        {
            QPainter painter(&normal);
            painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
            painter.fillRect(QRectF(0, 0, size, size), colour);
            if (!overlay.isNull()) {
                painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
                painter.drawPixmap(QRectF(0, 0, size, size), overlay.pixmap(QSize(size, size), dpr),
                                   QRectF(0, 0, size * dpr, size * dpr));
            }
        }
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

// Keeps a button's inked picture in its text colour.
class TInkIcon : public QObject
{
public:
    TInkIcon(QAbstractButton* button, QIcon ink, QIcon overlay, int size)
        : QObject(button), m_button(button), m_ink(std::move(ink)), m_overlay(std::move(overlay)),
          m_size(size)
    {
        apply();
        button->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_button && event->type() == QEvent::PaletteChange)
            apply();
        return false;
    }

private:
    void apply()
    {
        m_button->setIcon(
            inkedIcon(m_ink, m_overlay, m_size,
                      m_button->palette().color(QPalette::Active, QPalette::ButtonText)));
    }

    QAbstractButton* m_button;
    QIcon m_ink;
    QIcon m_overlay;
    int m_size;
};

} // namespace

void setInkIcon(QAbstractButton* button, const QIcon& ink, const QIcon& overlay, int size)
{
    new TInkIcon(button, ink, overlay, size);
}

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

} // namespace tavelorn
