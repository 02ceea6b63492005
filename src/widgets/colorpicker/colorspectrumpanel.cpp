#include "colorspectrumpanel.h"

#include <QAccessible>
#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <climits>

namespace tavelorn {

namespace {

constexpr int kImageSize = 128;

void frameRect(QPainter& p, const QRect& r, const QColor& c)
{
    p.setPen(c);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

} // namespace

ColorSpectrumPanel::ColorSpectrumPanel(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    relayout();
}

const QImage& ColorSpectrumPanel::spectrumImage()
{
    static const QImage kImage = [] {
        QImage img(kImageSize, kImageSize, QImage::Format_RGB888);
        for (int y = 0; y < kImageSize; ++y) {
            // Lightness from nearly 1 at the top to nearly 0 at the bottom, 0.5 between
            // rows 63 and 64.
            const double l = 1.0 - (y + 0.5) / kImageSize;
            for (int x = 0; x < kImageSize; ++x) {
                const double h = double(x) / kImageSize;
                img.setPixelColor(x, y, QColor::fromHslF(float(h), 1.0f, float(l)).toRgb());
            }
        }
        return img;
    }();
    return kImage;
}

QCursor ColorSpectrumPanel::eyedropperCursor()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn lying along the x axis with the tip at the origin, then turned up-right.
    p.translate(1.5, 30.5);
    p.rotate(-45);
    const QColor outline(0x20, 0x20, 0x20);
    QPainterPath tube;
    tube.moveTo(0, 0);
    tube.lineTo(5, -2);
    tube.lineTo(23, -2);
    tube.lineTo(23, 2);
    tube.lineTo(5, 2);
    tube.closeSubpath();
    p.setPen(QPen(outline, 1));
    p.setBrush(QColor(0xE8, 0xF4, 0xFF));
    p.drawPath(tube);
    p.setBrush(QColor(0x30, 0x60, 0xC0));
    p.drawRect(QRectF(2.5, -1, 7, 2)); // the drawn-up colour
    p.setBrush(QColor(0x90, 0x90, 0x90));
    p.drawRoundedRect(QRectF(23, -4.5, 4, 9), 1, 1);
    p.setBrush(QColor(0x40, 0x40, 0x40));
    p.drawRoundedRect(QRectF(27, -3.5, 13, 7), 3.5, 3.5);
    p.end();
    return QCursor(pm, 1, 30);
}

void ColorSpectrumPanel::setSelectedColor(Color c)
{
    m_selectedColor = c;
    m_dirty = true;
}

void ColorSpectrumPanel::relayout()
{
    setFixedSize(150, 174);
    const int left = (150 - kImageSize) / 2;
    const int top = 10;
    m_imageRect = QRect(left, top, kImageSize, kImageSize);
    const int right = left + kImageSize; // exclusive edges, as the swatches use them
    const int bottom = top + kImageSize;
    m_selectedRect =
        QRect(QPoint(left - 1, bottom + 8), QPoint(left + 64 - 2 - 1, bottom + 28 - 1));
    m_hotRect = QRect(QPoint(m_selectedRect.right() + 1 + 4, bottom + 8),
                      QPoint(right + 1 - 1, bottom + 28 - 1));
    m_hotColor = kColorNone;
    m_keyboardHot = false;
    m_dirty = true;
    update();
}

bool ColorSpectrumPanel::handleKey(int key, Qt::KeyboardModifiers modifiers)
{
    int dx = 0, dy = 0;
    switch (key) {
    case Qt::Key_Left:
        dx = -1;
        break;
    case Qt::Key_Right:
        dx = 1;
        break;
    case Qt::Key_Up:
        dy = -1;
        break;
    case Qt::Key_Down:
        dy = 1;
        break;
    default:
        return false;
    }
    QPoint pt = m_keyPoint;
    if (!m_keyboardHot) {
        // Start where the selected colour is, as near as the picture has it.
        pt = QPoint(kImageSize / 2, kImageSize / 2);
        if (m_selectedColor != kColorNone) {
            const QColor want = paletteQColor(m_selectedColor, &palette());
            const QImage& img = spectrumImage();
            int best = INT_MAX;
            for (int y = 0; y < kImageSize; ++y)
                for (int x = 0; x < kImageSize; ++x) {
                    const QRgb c = img.pixel(x, y);
                    const int r = qRed(c) - want.red(), g = qGreen(c) - want.green(),
                              b = qBlue(c) - want.blue();
                    const int dist = r * r + g * g + b * b;
                    if (dist < best) {
                        best = dist;
                        pt = QPoint(x, y);
                    }
                }
        }
    } else {
        const int step = modifiers & Qt::ShiftModifier ? 1 : 4;
        pt += QPoint(dx * step, dy * step);
        pt.setX(qBound(0, pt.x(), kImageSize - 1));
        pt.setY(qBound(0, pt.y(), kImageSize - 1));
    }
    m_keyboardHot = true;
    m_keyPoint = pt;
    m_hotColor = fromQColor(surface().pixelColor(m_imageRect.topLeft() + pt));
    m_dirty = true;
    update();
    announceValue();
    return true;
}

bool ColorSpectrumPanel::pickHotColor()
{
    if (m_hotColor == kColorNone)
        return false;
    m_selectedColor = m_hotColor;
    m_dirty = true;
    update(m_selectedRect.adjusted(-1, -1, 1, 1));
    emit colorSelected(m_selectedColor);
    return true;
}

void ColorSpectrumPanel::renderSurface()
{
    if (m_surface.size() != size())
        m_surface = QImage(size(), QImage::Format_RGB32);
    m_surface.fill(palette().color(backgroundRole()));
    QPainter p(&m_surface);
    const QRect& img = m_imageRect;
    p.drawImage(img.topLeft(), spectrumImage());
    frameRect(p, img.adjusted(-1, -1, 1, 1), Qt::white);
    frameRect(p, img.adjusted(-2, -2, 2, 2), QColor(0x80, 0x80, 0x80));
    const QPalette& pal = palette();
    auto swatch = [&](const QRect& r, Color c) {
        frameRect(p, r.adjusted(-1, -1, 1, 1), QColor(0x80, 0x80, 0x80));
        if (c != kColorNone)
            p.fillRect(r, paletteQColor(c, &pal));
        else
            p.setPen(QColor(0x80, 0x80, 0x80)), p.drawLine(r.bottomLeft(), r.topRight());
        frameRect(p, r, Qt::white);
    };
    swatch(m_selectedRect, m_selectedColor);
    swatch(m_hotRect, m_hotColor);
    m_dirty = false;
}

const QImage& ColorSpectrumPanel::surface()
{
    if (m_dirty || m_surface.size() != size())
        renderSurface();
    return m_surface;
}

void ColorSpectrumPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, surface());
    if (m_keyboardHot) {
        // The keyboard's point, black and white so that it shows on every hue. Drawn
        // over the surface, not into it: the pointer reads colours back from there.
        const QPoint c = m_imageRect.topLeft() + m_keyPoint;
        p.setBrush(Qt::NoBrush);
        p.setPen(Qt::black);
        p.drawRect(QRect(c - QPoint(3, 3), QSize(6, 6)));
        p.setPen(Qt::white);
        p.drawRect(QRect(c - QPoint(2, 2), QSize(4, 4)));
    }
}

void ColorSpectrumPanel::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const bool over = m_imageRect.contains(pos);
    if (over != m_overImage) {
        m_overImage = over;
        if (over)
            setCursor(eyedropperCursor());
        else
            unsetCursor();
    }
    if (!over)
        return;
    if (m_keyboardHot) {
        m_keyboardHot = false;
        update();
    }
    m_hotColor = fromQColor(surface().pixelColor(pos));
    m_dirty = true;
    update(m_hotRect.adjusted(-1, -1, 1, 1));
}

void ColorSpectrumPanel::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (!m_imageRect.contains(pos))
        return;
    // The colour seen at the last move, not read again here; a press that no move
    // came before (a touch, a click right after opening) takes the colour under it
    // rather than picking "no colour".
    if (m_hotColor == kColorNone)
        m_hotColor = fromQColor(surface().pixelColor(pos));
    m_selectedColor = m_hotColor;
    m_dirty = true;
    update(m_selectedRect.adjusted(-1, -1, 1, 1));
    emit colorSelected(m_selectedColor);
}

QString ColorSpectrumPanel::valueText() const
{
    return accessibleColorText(m_hotColor != kColorNone ? m_hotColor : m_selectedColor, palette());
}

void ColorSpectrumPanel::announceValue()
{
    if (!isVisible())
        return;
    QAccessibleValueChangeEvent value(this, valueText());
    QAccessible::updateAccessibility(&value);
}

} // namespace tavelorn
