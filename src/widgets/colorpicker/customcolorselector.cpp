#include "customcolorselector.h"

#include <QMouseEvent>
#include <QPainter>

using namespace ColorPicker;
using namespace tavelorn;

struct TCustomColorSelector::Private
{
    QList<TColorBoxItem> items;
    int itemIndex = -1;
    int itemHot = -1;
    Color selectedColor = kColorNone;
    int offsetX = 4;
    int offsetY = 4;
    int columnGap = 4;
    int columns = 10;
    int boxWidth = 12;
    int boxHeight = 12;
    TColorBoxAppearance appearance;
    TSelectionColorStyle style = scOffice2007;
};

namespace {

constexpr quint32 kThemeRows[6][10] = {
    {0xFFFFFF, 0x000000, 0xEEECE1, 0x1F497D, 0x4F81BD, 0xC0504D, 0x9BBB59, 0x8064A2, 0x4BACC6,
     0xF79646},
    {0xF2F2F2, 0x7F7F7F, 0xDDD9C3, 0xC2CEDA, 0xDBE5F1, 0xF2DCDB, 0xEBF1DD, 0xE5E0EC, 0xDBEEF3,
     0xFDEADA},
    {0xD8D8D8, 0x595959, 0xC4BD97, 0x8DB3E2, 0xB8CCE4, 0xE5B9B7, 0xD7E3BC, 0xCCC1D9, 0xB7DDE8,
     0xFBD5B5},
    {0xBFBFBF, 0x3F3F3F, 0x938953, 0x548DD4, 0x95B3D7, 0xD99694, 0xC3D69B, 0xB2A2C7, 0x92CDDC,
     0xFAC08F},
    {0xA5A5A5, 0x262626, 0x494429, 0x17365D, 0x366092, 0x953734, 0x76923C, 0x5F497A, 0x31859B,
     0xE36C09},
    {0x7F7F7F, 0x0C0C0C, 0x1D1B10, 0x0F243E, 0x244061, 0x632423, 0x4F6128, 0x3F3151, 0x205867,
     0x974806},
};
constexpr TItemPos kThemeRowPos[6] = {ipStandAlone, ipTop, ipMiddle, ipMiddle, ipMiddle, ipBottom};

void frameRect(QPainter& p, const QRect& r, const QColor& c)
{
    p.setPen(c);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

} // namespace

TCustomColorSelector::TCustomColorSelector(QWidget* parent)
    : QWidget(parent), d(std::make_unique<Private>())
{
    setMouseTracking(true);
    AddThemeColors();
}

TCustomColorSelector::~TCustomColorSelector() = default;

void TCustomColorSelector::AddThemeColors()
{
    QList<TColorBoxItem> items;
    for (int row = 0; row < 6; ++row)
        for (quint32 rrggbb : kThemeRows[row])
            items.append({colorFromHex(rrggbb), kThemeRowPos[row], true, {}});
    setItems(items);
}

const QList<TColorBoxItem>& TCustomColorSelector::Items() const
{
    return d->items;
}

void TCustomColorSelector::setItems(const QList<TColorBoxItem>& items)
{
    d->items = items;
    d->itemIndex = -1;
    d->itemHot = -1;
    Layout();
}

void TCustomColorSelector::setItemEnabled(int index, bool enabled)
{
    if (index < 0 || index >= d->items.size())
        return;
    d->items[index].Enabled = enabled;
    if (!enabled && d->itemHot == index)
        setItemHot(-1);
    repaintItem(index);
}

int TCustomColorSelector::ItemIndex() const
{
    return d->itemIndex;
}

void TCustomColorSelector::setItemIndex(int index)
{
    if (index >= d->items.size())
        return;
    if (index >= 0 && !d->items[index].Enabled)
        return;
    const int old = d->itemIndex;
    d->itemIndex = index < 0 ? -1 : index;
    if (old >= 0 && old != d->itemIndex)
        repaintItem(old);
    if (d->itemIndex < 0)
        return;
    d->selectedColor = d->items[index].Color;
    repaintItem(index);
    emit OnItemSelect();
}

int TCustomColorSelector::ItemHot() const
{
    return d->itemHot;
}

void TCustomColorSelector::setItemHot(int index)
{
    if (index == d->itemHot)
        return;
    const int old = d->itemHot;
    d->itemHot = index;
    repaintItem(old);
    repaintItem(index);
}

Color TCustomColorSelector::SelectedColor() const
{
    return d->selectedColor;
}

void TCustomColorSelector::setSelectedColor(Color c)
{
    if (c == d->selectedColor)
        return;
    d->selectedColor = c;
    int found = -1;
    if (c != kColorNone) {
        for (int i = 0; i < d->items.size(); ++i) {
            if (d->items[i].Color == c) {
                found = i;
                break;
            }
        }
    }
    if (found >= 0 && d->items[found].Enabled) {
        setItemIndex(found);
    } else {
        setItemIndex(-1);
        d->selectedColor = c; // a cleared selection keeps the assigned colour
    }
}

int TCustomColorSelector::Columns() const
{
    return d->columns;
}
int TCustomColorSelector::ColumnGap() const
{
    return d->columnGap;
}
int TCustomColorSelector::ColorBoxWidth() const
{
    return d->boxWidth;
}
int TCustomColorSelector::ColorBoxHeight() const
{
    return d->boxHeight;
}

void TCustomColorSelector::setColumns(int v)
{
    v = qMax(1, v);
    if (v == d->columns)
        return;
    d->columns = v;
    Layout();
}

void TCustomColorSelector::setColumnGap(int v)
{
    if (v == d->columnGap)
        return;
    d->columnGap = v;
    Layout();
}

void TCustomColorSelector::setColorBoxWidth(int v)
{
    if (v == d->boxWidth)
        return;
    d->boxWidth = v;
    Layout();
}

void TCustomColorSelector::setColorBoxHeight(int v)
{
    if (v == d->boxHeight)
        return;
    d->boxHeight = v;
    Layout();
}

TColorBoxAppearance TCustomColorSelector::ColorBoxAppearance() const
{
    return d->appearance;
}

void TCustomColorSelector::setColorBoxAppearance(const TColorBoxAppearance& a)
{
    d->appearance = a;
    update();
}

TSelectionColorStyle TCustomColorSelector::ItemColorStyle() const
{
    return d->style;
}

void TCustomColorSelector::setItemColorStyle(TSelectionColorStyle s)
{
    if (s == d->style)
        return;
    d->style = s;
    if (s != scCustom)
        setColorBoxAppearance(TColorBoxAppearance{});
}

void TCustomColorSelector::Layout()
{
    if (d->items.isEmpty()) {
        setFixedSize(100, 50);
        return;
    }
    setItemHot(-1);
    const int x0 = contentsRect().left() + d->offsetX;
    const int y0 = contentsRect().top() + d->offsetY;
    int x = x0, y = y0, n = 0, maxX = x0;
    bool gap = false;
    for (int i = 0; i < d->items.size(); ++i) {
        d->items[i].Rect = QRect(x, y, d->boxWidth, d->boxHeight);
        maxX = qMax(maxX, x);
        ++n;
        if (i == d->items.size() - 1)
            break;
        if (d->items[i].ColorBoxPos == ipStandAlone)
            gap = true;
        if (n < d->columns) {
            x += d->boxWidth + d->columnGap;
        } else {
            x = x0;
            y += d->boxHeight + (gap ? d->columnGap : 0);
            n = 0;
            gap = false;
        }
    }
    setFixedSize(maxX + d->boxWidth + x0 + 1, y + d->boxHeight + y0);
    update();
}

int TCustomColorSelector::ItemAt(const QPoint& pos) const
{
    for (int i = 0; i < d->items.size(); ++i)
        if (d->items[i].Rect.contains(pos))
            return i;
    return -1;
}

void TCustomColorSelector::HandleKey(int key, bool dropDownOpen)
{
    const int count = int(d->items.size());
    if (count == 0)
        return;
    const int cur = d->itemIndex;
    auto previous = [&] {
        if (cur > 0)
            setItemIndex(cur - 1);
    };
    auto next = [&] {
        if (cur < 0)
            setItemIndex(0);
        else if (cur + 1 < count)
            setItemIndex(cur + 1);
    };
    switch (key) {
    case Qt::Key_PageDown:
    case Qt::Key_End:
        setItemIndex(count - 1);
        break;
    case Qt::Key_PageUp:
    case Qt::Key_Home:
        setItemIndex(0);
        break;
    case Qt::Key_Left:
        previous();
        break;
    case Qt::Key_Right:
        next();
        break;
    case Qt::Key_Up:
        if (!dropDownOpen)
            previous();
        else if (cur < 0)
            setItemIndex(0);
        else if (cur - d->columns >= 0)
            setItemIndex(cur - d->columns);
        break;
    case Qt::Key_Down:
        if (!dropDownOpen)
            next();
        else if (cur < 0)
            setItemIndex(0);
        else if (cur + d->columns < count)
            setItemIndex(cur + d->columns);
        break;
    default:
        break;
    }
}

void TCustomColorSelector::HandleWheel(bool down, bool dropDownOpen)
{
    if (!dropDownOpen) {
        HandleKey(down ? Qt::Key_Right : Qt::Key_Left, false);
        return;
    }
    const int hot = d->itemHot;
    if (down) {
        if (hot < 0)
            setItemHot(d->items.isEmpty() ? -1 : 0);
        else if (hot + 1 < d->items.size())
            setItemHot(hot + 1);
    } else if (hot > 0) {
        setItemHot(hot - 1);
    }
}

void TCustomColorSelector::repaintItem(int index)
{
    if (index >= 0 && index < d->items.size())
        update(d->items[index].Rect);
}

void TCustomColorSelector::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const TColorBoxAppearance& a = d->appearance;
    const QPalette& pal = palette();
    for (int i = 0; i < d->items.size(); ++i) {
        const TColorBoxItem& item = d->items[i];
        QRect r = item.Rect;
        Color outer = a.BorderColor;
        Color inner = kColorNone;
        if (i == d->itemHot) {
            outer = a.OuterBorderColorHot;
            inner = a.InnerBorderColorHot;
        }
        if (i == d->itemIndex) {
            outer = a.OuterBorderColorSelected;
            inner = a.InnerBorderColorSelected;
        }
        if (item.Color != kColorNone)
            p.fillRect(r, toQColor(item.Color, &pal));
        if (i == d->itemHot || i == d->itemIndex) {
            if (outer != kColorNone)
                frameRect(p, r, toQColor(outer, &pal));
            r.adjust(1, 1, -1, -1);
            if (inner != kColorNone)
                frameRect(p, r, toQColor(inner, &pal));
            continue;
        }
        if (outer == kColorNone)
            continue;
        p.setPen(toQColor(outer, &pal));
        const bool top = item.ColorBoxPos == ipStandAlone || item.ColorBoxPos == ipTop;
        const bool bottom = item.ColorBoxPos == ipStandAlone || item.ColorBoxPos == ipBottom;
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.drawLine(r.topRight(), r.bottomRight());
        if (top)
            p.drawLine(r.topLeft(), r.topRight());
        if (bottom)
            p.drawLine(r.bottomLeft(), r.bottomRight());
    }
}

void TCustomColorSelector::mouseMoveEvent(QMouseEvent* event)
{
    const int i = ItemAt(event->position().toPoint());
    setItemHot(i >= 0 && d->items[i].Enabled ? i : -1);
}

void TCustomColorSelector::mouseReleaseEvent(QMouseEvent* event)
{
    const int i = ItemAt(event->position().toPoint());
    if (i >= 0 && d->items[i].Enabled)
        setItemIndex(i);
}

void TCustomColorSelector::leaveEvent(QEvent*)
{
    setItemHot(-1);
}
