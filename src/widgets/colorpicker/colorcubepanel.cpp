#include "colorcubepanel.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QToolTip>

#include <cstdlib>

namespace tavelorn {

namespace {

constexpr quint32 kCubeColors[ColorCubePanel::kCellCount] = {
    0x003366, 0x336699, 0x3366CC, 0x003399, 0x000099, 0x0000CC, 0x000066, 0x006666, 0x006699,
    0x0099CC, 0x0066CC, 0x0033CC, 0x0000FF, 0x3333FF, 0x333399, 0x008080, 0x009999, 0x33CCCC,
    0x00CCFF, 0x0099FF, 0x0066FF, 0x3366FF, 0x3333CC, 0x666699, 0x339966, 0x00CC99, 0x00FFCC,
    0x00FFFF, 0x33CCFF, 0x3399FF, 0x6699FF, 0x6666FF, 0x6600FF, 0x6600CC, 0x339933, 0x00CC66,
    0x00FF99, 0x66FFCC, 0x66FFFF, 0x66CCFF, 0x99CCFF, 0x9999FF, 0x9966FF, 0x9933FF, 0x9900FF,
    0x006600, 0x00CC00, 0x00FF00, 0x66FF99, 0x99FFCC, 0xCCFFFF, 0xCCECFF, 0xCCCCFF, 0xCC99FF,
    0xCC66FF, 0xCC00FF, 0x9900CC, 0x003300, 0x008000, 0x33CC33, 0x66FF66, 0x99FF99, 0xCCFFCC,
    0xFFFFFF, 0xFFCCFF, 0xFF99FF, 0xFF66FF, 0xFF00FF, 0xCC00CC, 0x660066, 0x336600, 0x009900,
    0x66FF33, 0x99FF66, 0xCCFF99, 0xFFFFCC, 0xFFCCCC, 0xFF99CC, 0xFF66CC, 0xFF33CC, 0xCC0099,
    0x800080, 0x333300, 0x669900, 0x99FF33, 0xCCFF66, 0xFFFF99, 0xFFCC99, 0xFF9999, 0xFF6699,
    0xFF3399, 0xCC3399, 0x990099, 0x666633, 0x99CC00, 0xCCFF33, 0xFFFF66, 0xFFCC66, 0xFF9966,
    0xFF7C80, 0xFF0066, 0xD60093, 0x993366, 0x808000, 0xCCCC00, 0xFFFF00, 0xFFCC00, 0xFF9933,
    0xFF6600, 0xFF5050, 0xCC0066, 0x660033, 0x996633, 0xCC9900, 0xFF9900, 0xCC6600, 0xFF3300,
    0xFF0000, 0xCC0000, 0x990033, 0x663300, 0x996600, 0xCC3300, 0x993300, 0x990000, 0x800000,
    0xA50021,
};

// b is the half-width, a the height unit (the hexagon is 4a high).
QPolygon hexagon(QPoint c, int b, int a)
{
    return QPolygon({QPoint(c.x() - b, c.y() - a), QPoint(c.x(), c.y() - 2 * a),
                     QPoint(c.x() + b, c.y() - a), QPoint(c.x() + b, c.y() + a),
                     QPoint(c.x(), c.y() + 2 * a), QPoint(c.x() - b, c.y() + a)});
}

} // namespace

ColorCubePanel::ColorCubePanel(QWidget* parent) : QWidget(parent)
{
    setFixedSize(182, 160);
    setMouseTracking(true);
    resetCells();
}

void ColorCubePanel::resetCells()
{
    int n = 1;
    for (int r = 1; r <= 13; ++r) {
        const int count = r <= 7 ? 6 + r : 20 - r;
        const int x0 = r <= 7 ? 55 - 6 * (r - 1) : 19 + 6 * (r - 7);
        const int y = 20 + 10 * (r - 1);
        for (int i = 0; i < count; ++i, ++n)
            cell(n) = {QPoint(x0 + 12 * i, y), colorFromHex(kCubeColors[n - 1])};
    }
    m_hotIndex = -1;
    m_keyboardHot = false;
    update();
}

void ColorCubePanel::setSelectedColor(Color c)
{
    m_selectedColor = c;
    m_selectedIndex = -1;
    for (int i = 1; i <= kCellCount; ++i) {
        if (cell(i).color == c) {
            m_selectedIndex = i;
            break;
        }
    }
}

Color ColorCubePanel::cubeCellColor(int index) const
{
    return index >= 1 && index <= kCellCount ? cell(index).color : kColorNone;
}

void ColorCubePanel::setCubeCellColor(int index, Color c)
{
    if (index < 1 || index > kCellCount)
        return;
    cell(index).color = c;
    repaintCell(index);
}

QPoint ColorCubePanel::cubeCellCenter(int index) const
{
    return index >= 1 && index <= kCellCount ? cell(index).center : QPoint();
}

int ColorCubePanel::cellAt(const QPoint& pos) const
{
    for (int i = 1; i <= kCellCount; ++i) {
        const QPoint c = cell(i).center;
        const int dx = c.x() - pos.x();
        const int dy = c.y() - pos.y();
        if (dx * dx + dy * dy <= 36)
            return i;
    }
    return 0;
}

void ColorCubePanel::setHot(int index)
{
    if (index == m_hotIndex)
        return;
    const int old = m_hotIndex;
    m_hotIndex = index;
    repaintCell(old);
    repaintCell(index);
}

bool ColorCubePanel::keyboardHot() const
{
    return m_keyboardHot && m_hotIndex >= 1;
}

int ColorCubePanel::verticalNeighbour(int index, int direction) const
{
    const int y = cell(index).center.y() + 10 * direction;
    const int x = cell(index).center.x();
    int best = 0;
    int bestDistance = 0;
    for (int i = 1; i <= kCellCount; ++i) {
        if (cell(i).center.y() != y)
            continue;
        // Rows are offset by half a cell, so two cells are equally near: up takes the
        // left one and down the right one, and up then down comes back.
        const int distance = std::abs(cell(i).center.x() - x);
        if (best == 0 || distance < bestDistance || (distance == bestDistance && direction > 0)) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

bool ColorCubePanel::handleKey(int key)
{
    if (key != Qt::Key_Left && key != Qt::Key_Right && key != Qt::Key_Up && key != Qt::Key_Down)
        return false;
    int next = m_hotIndex;
    if (!keyboardHot()) {
        // The first key shows where the keyboard stands.
        next = m_selectedIndex >= 1 ? m_selectedIndex : (kCellCount + 1) / 2;
    } else {
        const int y = cell(next).center.y();
        switch (key) {
        case Qt::Key_Left:
            if (next > 1 && cell(next - 1).center.y() == y)
                --next;
            break;
        case Qt::Key_Right:
            if (next < kCellCount && cell(next + 1).center.y() == y)
                ++next;
            break;
        default:
            if (const int n = verticalNeighbour(next, key == Qt::Key_Up ? -1 : 1))
                next = n;
            break;
        }
    }
    m_keyboardHot = true;
    setToolTip(QString());
    setHot(next);
    announceCurrent();
    return true;
}

bool ColorCubePanel::pickHotCell()
{
    if (m_hotIndex < 1)
        return false;
    pickCell(m_hotIndex);
    return true;
}

void ColorCubePanel::pickCell(int index)
{
    const int old = m_selectedIndex;
    m_selectedColor = cell(index).color;
    m_selectedIndex = index;
    repaintCell(old);
    repaintCell(index);
    emit colorSelected(m_selectedColor);
}

void ColorCubePanel::repaintCell(int index)
{
    if (index >= 1 && index <= kCellCount)
        update(hexagon(cell(index).center, 6, 3).boundingRect().adjusted(-1, -1, 1, 1));
}

void ColorCubePanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    auto mark = [&](QPoint c, const QColor& outer, const QColor& inner) {
        p.setBrush(Qt::NoBrush);
        p.setPen(outer);
        p.drawPolygon(hexagon(c, 5, 3));
        p.setPen(inner);
        p.drawPolygon(hexagon(c, 4, 2));
    };
    for (int i = 1; i <= kCellCount; ++i) {
        const Cell& c = cell(i);
        if (c.color != kColorNone) {
            const QColor fill = paletteQColor(c.color, &pal);
            p.setPen(fill);
            p.setBrush(fill);
            p.drawPolygon(hexagon(c.center, 6, 3));
        }
        if (i == m_hotIndex)
            mark(c.center, Qt::red, Qt::white);
        if (i == m_selectedIndex)
            mark(c.center, Qt::black, Qt::white);
    }
}

void ColorCubePanel::mouseMoveEvent(QMouseEvent* event)
{
    const int i = cellAt(event->position().toPoint());
    if (i == 0) {
        setToolTip(QString());
        QToolTip::hideText();
        return;
    }
    m_keyboardHot = false;
    if (i == m_hotIndex)
        return;
    setHot(i);
    if (m_showRGBHint) {
        const Color c = toRgbColor(cell(i).color, palette());
        const bool showing = QToolTip::isVisible();
        setToolTip(QStringLiteral("Red: %1,  Green: %2,  Blue: %3")
                       .arg(colorRed(c))
                       .arg(colorGreen(c))
                       .arg(colorBlue(c)));
        // The old text goes at once; a tip already on screen shows the new colour.
        QToolTip::hideText();
        if (showing)
            QToolTip::showText(event->globalPosition().toPoint(), toolTip(), this);
    }
}

void ColorCubePanel::mousePressEvent(QMouseEvent* event)
{
    const int i = cellAt(event->position().toPoint());
    if (i == 0)
        return;
    pickCell(i);
}

QString ColorCubePanel::valueText() const
{
    return accessibleColorText(m_hotIndex >= 1 ? cell(m_hotIndex).color : m_selectedColor,
                               palette());
}

void ColorCubePanel::announceCurrent()
{
    if (!isVisible())
        return;
    if (m_hotIndex >= 1) {
        // Assistive technology counts the cells from 0.
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(m_hotIndex - 1);
        QAccessible::updateAccessibility(&focus);
        QAccessibleEvent selection(this, QAccessible::Selection);
        selection.setChild(m_hotIndex - 1);
        QAccessible::updateAccessibility(&selection);
    }
    QAccessibleValueChangeEvent value(this, valueText());
    QAccessible::updateAccessibility(&value);
}

} // namespace tavelorn
