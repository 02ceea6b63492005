#include "customcolorselector.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>

namespace tavelorn {

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
constexpr ItemPos kThemeRowPos[6] = {ItemPos::StandAlone, ItemPos::Top,    ItemPos::Middle,
                                     ItemPos::Middle,     ItemPos::Middle, ItemPos::Bottom};

void frameRect(QPainter& p, const QRect& r, const QColor& c)
{
    p.setPen(c);
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

} // namespace

CustomColorSelector::CustomColorSelector(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    addThemeColors();
}

void CustomColorSelector::addThemeColors()
{
    QList<ColorBoxItem> items;
    for (int row = 0; row < 6; ++row)
        for (quint32 rrggbb : kThemeRows[row])
            items.append({colorFromHex(rrggbb), kThemeRowPos[row], true, {}});
    setItems(items);
}

void CustomColorSelector::setItems(const QList<ColorBoxItem>& items)
{
    m_items = items;
    m_itemIndex = -1;
    m_itemHot = -1;
    relayout();
}

void CustomColorSelector::setItemEnabled(int index, bool enabled)
{
    if (index < 0 || index >= m_items.size())
        return;
    m_items[index].enabled = enabled;
    if (!enabled && m_itemHot == index)
        setItemHot(-1);
    repaintItem(index);
}

void CustomColorSelector::setItemIndex(int index)
{
    if (index >= m_items.size())
        return;
    if (index >= 0 && !m_items[index].enabled)
        return;
    const int old = m_itemIndex;
    m_itemIndex = index < 0 ? -1 : index;
    if (old >= 0 && old != m_itemIndex)
        repaintItem(old);
    if (m_itemIndex < 0)
        return;
    m_selectedColor = m_items[index].color;
    repaintItem(index);
    emit colorSelected(m_selectedColor);
}

void CustomColorSelector::setItemHot(int index)
{
    if (index == m_itemHot)
        return;
    const int old = m_itemHot;
    m_itemHot = index;
    repaintItem(old);
    repaintItem(index);
}

void CustomColorSelector::setSelectedColor(Color c)
{
    if (c == m_selectedColor)
        return;
    m_selectedColor = c;
    int found = -1;
    if (c != kColorNone) {
        for (int i = 0; i < m_items.size(); ++i) {
            if (m_items[i].color == c) {
                found = i;
                break;
            }
        }
    }
    if (found >= 0 && m_items[found].enabled) {
        setItemIndex(found);
    } else {
        setItemIndex(-1);
        m_selectedColor = c; // a cleared selection keeps the assigned colour
    }
}

void CustomColorSelector::setColumns(int v)
{
    v = qMax(1, v);
    if (v == m_columns)
        return;
    m_columns = v;
    relayout();
}

void CustomColorSelector::setColumnGap(int v)
{
    if (v == m_columnGap)
        return;
    m_columnGap = v;
    relayout();
}

void CustomColorSelector::setColorBoxWidth(int v)
{
    if (v == m_boxWidth)
        return;
    m_boxWidth = v;
    relayout();
}

void CustomColorSelector::setColorBoxHeight(int v)
{
    if (v == m_boxHeight)
        return;
    m_boxHeight = v;
    relayout();
}

void CustomColorSelector::setColorBoxAppearance(const ColorBoxAppearance& a)
{
    m_appearance = a;
    update();
}

void CustomColorSelector::setItemColorStyle(SelectionColorStyle s)
{
    if (s == m_style)
        return;
    m_style = s;
    if (s != SelectionColorStyle::Custom)
        setColorBoxAppearance(ColorBoxAppearance{});
}

void CustomColorSelector::relayout()
{
    if (m_items.isEmpty()) {
        setFixedSize(100, 50);
        return;
    }
    setItemHot(-1);
    const int x0 = contentsRect().left() + m_offsetX;
    const int y0 = contentsRect().top() + m_offsetY;
    int x = x0, y = y0, n = 0, maxX = x0;
    bool gap = false;
    for (int i = 0; i < m_items.size(); ++i) {
        m_items[i].rect = QRect(x, y, m_boxWidth, m_boxHeight);
        maxX = qMax(maxX, x);
        ++n;
        if (i == m_items.size() - 1)
            break;
        if (m_items[i].colorBoxPos == ItemPos::StandAlone)
            gap = true;
        if (n < m_columns) {
            x += m_boxWidth + m_columnGap;
        } else {
            x = x0;
            y += m_boxHeight + (gap ? m_columnGap : 0);
            n = 0;
            gap = false;
        }
    }
    setFixedSize(maxX + m_boxWidth + x0 + 1, y + m_boxHeight + y0);
    update();
}

int CustomColorSelector::itemAt(const QPoint& pos) const
{
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items[i].rect.contains(pos))
            return i;
    return -1;
}

void CustomColorSelector::handleKey(int key, bool dropDownOpen)
{
    moveByKey(key, dropDownOpen);
    announceCurrent();
}

void CustomColorSelector::moveByKey(int key, bool dropDownOpen)
{
    const int count = int(m_items.size());
    if (count == 0)
        return;
    const int cur = m_itemIndex;
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
        else if (cur - m_columns >= 0)
            setItemIndex(cur - m_columns);
        break;
    case Qt::Key_Down:
        if (!dropDownOpen)
            next();
        else if (cur < 0)
            setItemIndex(0);
        else if (cur + m_columns < count)
            setItemIndex(cur + m_columns);
        break;
    default:
        break;
    }
}

void CustomColorSelector::handleWheel(bool down, bool dropDownOpen)
{
    if (!dropDownOpen) {
        moveByKey(down ? Qt::Key_Right : Qt::Key_Left, false);
        return;
    }
    const int hot = m_itemHot;
    if (down) {
        if (hot < 0)
            setItemHot(m_items.isEmpty() ? -1 : 0);
        else if (hot + 1 < m_items.size())
            setItemHot(hot + 1);
    } else if (hot > 0) {
        setItemHot(hot - 1);
    }
}

void CustomColorSelector::repaintItem(int index)
{
    if (index >= 0 && index < m_items.size())
        update(m_items[index].rect);
}

void CustomColorSelector::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const ColorBoxAppearance& a = m_appearance;
    const QPalette& pal = palette();
    for (int i = 0; i < m_items.size(); ++i) {
        const ColorBoxItem& item = m_items[i];
        QRect r = item.rect;
        Color outer = a.borderColor;
        Color inner = kColorNone;
        if (i == m_itemHot) {
            outer = a.outerBorderColorHot;
            inner = a.innerBorderColorHot;
        }
        if (i == m_itemIndex) {
            outer = a.outerBorderColorSelected;
            inner = a.innerBorderColorSelected;
        }
        if (item.color != kColorNone)
            p.fillRect(r, paletteQColor(item.color, &pal));
        if (i == m_itemHot || i == m_itemIndex) {
            if (outer != kColorNone)
                frameRect(p, r, paletteQColor(outer, &pal));
            r.adjust(1, 1, -1, -1);
            if (inner != kColorNone)
                frameRect(p, r, paletteQColor(inner, &pal));
            continue;
        }
        if (outer == kColorNone)
            continue;
        p.setPen(paletteQColor(outer, &pal));
        const bool top =
            item.colorBoxPos == ItemPos::StandAlone || item.colorBoxPos == ItemPos::Top;
        const bool bottom =
            item.colorBoxPos == ItemPos::StandAlone || item.colorBoxPos == ItemPos::Bottom;
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.drawLine(r.topRight(), r.bottomRight());
        if (top)
            p.drawLine(r.topLeft(), r.topRight());
        if (bottom)
            p.drawLine(r.bottomLeft(), r.bottomRight());
    }
}

void CustomColorSelector::mouseMoveEvent(QMouseEvent* event)
{
    const int i = itemAt(event->position().toPoint());
    setItemHot(i >= 0 && m_items[i].enabled ? i : -1);
}

void CustomColorSelector::mouseReleaseEvent(QMouseEvent* event)
{
    const int i = itemAt(event->position().toPoint());
    if (i >= 0 && m_items[i].enabled)
        setItemIndex(i);
}

void CustomColorSelector::leaveEvent(QEvent*)
{
    setItemHot(-1);
}

QString CustomColorSelector::valueText() const
{
    return accessibleColorText(m_itemHot >= 0 ? m_items[m_itemHot].color : m_selectedColor,
                               palette());
}

void CustomColorSelector::announceCurrent()
{
    if (!isVisible())
        return;
    if (const int current = currentItem(); current >= 0 && current < m_items.size()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(current);
        QAccessible::updateAccessibility(&focus);
        QAccessibleEvent selection(this, QAccessible::Selection);
        selection.setChild(current);
        QAccessible::updateAccessibility(&selection);
    }
    QAccessibleValueChangeEvent value(this, valueText());
    QAccessible::updateAccessibility(&value);
}

} // namespace tavelorn
