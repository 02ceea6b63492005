#include "colorcubepanel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QToolTip>

#include <array>
#include <cstdlib>

using namespace ColorPicker;
using namespace tavelorn;

namespace {

constexpr quint32 kCubeColors[TColorCubePanel::CellCount] = {
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

struct Cell
{
    QPoint center;
    Color color = kColorNone;
};

// b is the half-width, a the height unit (the hexagon is 4a high).
QPolygon hexagon(QPoint c, int b, int a)
{
    return QPolygon({QPoint(c.x() - b, c.y() - a), QPoint(c.x(), c.y() - 2 * a),
                     QPoint(c.x() + b, c.y() - a), QPoint(c.x() + b, c.y() + a),
                     QPoint(c.x(), c.y() + 2 * a), QPoint(c.x() - b, c.y() + a)});
}

} // namespace

struct TColorCubePanel::Private
{
    std::array<Cell, CellCount + 1> cells; // index 0 unused

    // The panel numbers its cells from 1, in ints; callers check the range.
    Cell& cell(int index) { return cells[static_cast<size_t>(index)]; }
    Color selectedColor = kColorNone;
    int selectedIndex = -1;
    int hotIndex = -1;
    bool keyboardHot = false;
    bool showRGBHint = true;
};

TColorCubePanel::TColorCubePanel(QWidget* parent) : QWidget(parent), d(std::make_unique<Private>())
{
    setFixedSize(182, 160);
    setMouseTracking(true);
    ResetCells();
}

TColorCubePanel::~TColorCubePanel() = default;

void TColorCubePanel::ResetCells()
{
    int n = 1;
    for (int r = 1; r <= 13; ++r) {
        const int count = r <= 7 ? 6 + r : 20 - r;
        const int x0 = r <= 7 ? 55 - 6 * (r - 1) : 19 + 6 * (r - 7);
        const int y = 20 + 10 * (r - 1);
        for (int i = 0; i < count; ++i, ++n)
            d->cell(n) = {QPoint(x0 + 12 * i, y), colorFromHex(kCubeColors[n - 1])};
    }
    d->hotIndex = -1;
    d->keyboardHot = false;
    update();
}

Color TColorCubePanel::SelectedColor() const
{
    return d->selectedColor;
}

void TColorCubePanel::setSelectedColor(Color c)
{
    d->selectedColor = c;
    d->selectedIndex = -1;
    for (int i = 1; i <= CellCount; ++i) {
        if (d->cell(i).color == c) {
            d->selectedIndex = i;
            break;
        }
    }
}

bool TColorCubePanel::ShowRGBHint() const
{
    return d->showRGBHint;
}
void TColorCubePanel::setShowRGBHint(bool on)
{
    d->showRGBHint = on;
}

Color TColorCubePanel::CubeCellColor(int index) const
{
    return index >= 1 && index <= CellCount ? d->cell(index).color : kColorNone;
}

void TColorCubePanel::setCubeCellColor(int index, Color c)
{
    if (index < 1 || index > CellCount)
        return;
    d->cell(index).color = c;
    repaintCell(index);
}

QPoint TColorCubePanel::CubeCellCenter(int index) const
{
    return index >= 1 && index <= CellCount ? d->cell(index).center : QPoint();
}

int TColorCubePanel::CellAt(const QPoint& pos) const
{
    for (int i = 1; i <= CellCount; ++i) {
        const QPoint c = d->cell(i).center;
        const int dx = c.x() - pos.x();
        const int dy = c.y() - pos.y();
        if (dx * dx + dy * dy <= 36)
            return i;
    }
    return 0;
}

int TColorCubePanel::SelectedIndex() const
{
    return d->selectedIndex;
}
int TColorCubePanel::HotIndex() const
{
    return d->hotIndex;
}

void TColorCubePanel::setHot(int index)
{
    if (index == d->hotIndex)
        return;
    const int old = d->hotIndex;
    d->hotIndex = index;
    repaintCell(old);
    repaintCell(index);
}

bool TColorCubePanel::KeyboardHot() const
{
    return d->keyboardHot && d->hotIndex >= 1;
}

int TColorCubePanel::verticalNeighbour(int index, int direction) const
{
    const int y = d->cell(index).center.y() + 10 * direction;
    const int x = d->cell(index).center.x();
    int best = 0;
    int bestDistance = 0;
    for (int i = 1; i <= CellCount; ++i) {
        if (d->cell(i).center.y() != y)
            continue;
        // Rows are offset by half a cell, so two cells are equally near: up takes the
        // left one and down the right one, and up then down comes back.
        const int distance = std::abs(d->cell(i).center.x() - x);
        if (best == 0 || distance < bestDistance || (distance == bestDistance && direction > 0)) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

bool TColorCubePanel::HandleKey(int key)
{
    if (key != Qt::Key_Left && key != Qt::Key_Right && key != Qt::Key_Up && key != Qt::Key_Down)
        return false;
    int next = d->hotIndex;
    if (!KeyboardHot()) {
        // The first key shows where the keyboard stands.
        next = d->selectedIndex >= 1 ? d->selectedIndex : (CellCount + 1) / 2;
    } else {
        const int y = d->cell(next).center.y();
        switch (key) {
        case Qt::Key_Left:
            if (next > 1 && d->cell(next - 1).center.y() == y)
                --next;
            break;
        case Qt::Key_Right:
            if (next < CellCount && d->cell(next + 1).center.y() == y)
                ++next;
            break;
        default:
            if (const int n = verticalNeighbour(next, key == Qt::Key_Up ? -1 : 1))
                next = n;
            break;
        }
    }
    d->keyboardHot = true;
    setToolTip(QString());
    setHot(next);
    return true;
}

bool TColorCubePanel::PickHotCell()
{
    if (d->hotIndex < 1)
        return false;
    pickCell(d->hotIndex);
    return true;
}

void TColorCubePanel::pickCell(int index)
{
    const int old = d->selectedIndex;
    d->selectedColor = d->cell(index).color;
    d->selectedIndex = index;
    repaintCell(old);
    repaintCell(index);
    emit OnSelect();
}

void TColorCubePanel::repaintCell(int index)
{
    if (index >= 1 && index <= CellCount)
        update(hexagon(d->cell(index).center, 6, 3).boundingRect().adjusted(-1, -1, 1, 1));
}

void TColorCubePanel::paintEvent(QPaintEvent*)
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
    for (int i = 1; i <= CellCount; ++i) {
        const Cell& cell = d->cell(i);
        if (cell.color != kColorNone) {
            const QColor c = toQColor(cell.color, &pal);
            p.setPen(c);
            p.setBrush(c);
            p.drawPolygon(hexagon(cell.center, 6, 3));
        }
        if (i == d->hotIndex)
            mark(cell.center, Qt::red, Qt::white);
        if (i == d->selectedIndex)
            mark(cell.center, Qt::black, Qt::white);
    }
}

void TColorCubePanel::mouseMoveEvent(QMouseEvent* event)
{
    const int i = CellAt(event->position().toPoint());
    if (i == 0) {
        setToolTip(QString());
        QToolTip::hideText();
        return;
    }
    d->keyboardHot = false;
    if (i == d->hotIndex)
        return;
    setHot(i);
    if (d->showRGBHint) {
        const Color c = colorToRGB(d->cell(i).color, palette());
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

void TColorCubePanel::mousePressEvent(QMouseEvent* event)
{
    const int i = CellAt(event->position().toPoint());
    if (i == 0)
        return;
    pickCell(i);
}
