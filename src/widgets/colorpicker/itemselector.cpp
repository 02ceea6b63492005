#include "itemselector.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

namespace tavelorn {

CustomItemSelector::CustomItemSelector(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

void CustomItemSelector::setItems(const QList<SelectorItem>& items)
{
    m_items = items;
    m_itemIndex = -1;
    m_hotIndex = -1;
    layoutItems();
}

void CustomItemSelector::setColumns(int columns)
{
    m_columns = qMax(1, columns);
}
void CustomItemSelector::setItemLayout(ItemLayout layout)
{
    m_layout = layout;
}

void CustomItemSelector::setColorBox(int width, int height)
{
    m_boxWidth = width;
    m_boxHeight = height;
}

void CustomItemSelector::setBackgroundColor(Color c)
{
    m_background = c;
    update();
}

void CustomItemSelector::setAppearance(const ItemAppearance& a)
{
    m_appearance = a;
    update();
}

void CustomItemSelector::layoutItems()
{
    const QFontMetrics fm(m_appearance.font);
    int widest = 0;
    int tallest = 0;
    for (const SelectorItem& item : m_items) {
        widest = qMax(widest, fm.horizontalAdvance(item.caption));
        tallest = qMax(tallest, fm.height());
    }
    int w, h;
    if (m_layout == ItemLayout::CaptionTop || m_layout == ItemLayout::CaptionBottom) {
        w = 4 + qMax(m_boxWidth, widest + 4) + 4;
        h = m_boxHeight + 4 + tallest + 8;
    } else {
        w = 4 + m_boxWidth + 4 + (widest + 4) + 4;
        h = qMax(m_boxHeight, tallest) + 8;
    }
    m_itemSize = QSize(w, h);
    const int cols = m_columns;
    for (int i = 0; i < m_items.size(); ++i)
        m_items[i].rect = QRect(2 + (i % cols) * w, 2 + (i / cols) * h, w, h);
    const int rows = (int(m_items.size()) + cols - 1) / cols;
    const int usedCols = qMin(cols, qMax(1, int(m_items.size())));
    resize(2 + usedCols * w + 2, 2 + rows * h + 2);
    update();
}

void CustomItemSelector::setItemIndex(int index)
{
    if (index >= m_items.size() || index < 0)
        index = -1;
    if (index == m_itemIndex)
        return;
    repaintItem(m_itemIndex);
    m_itemIndex = index;
    repaintItem(index);
    if (QAccessible::isActive() && index >= 0 && isVisible()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(index);
        QAccessible::updateAccessibility(&focus);
    }
}

void CustomItemSelector::pressItem(int index)
{
    if (index >= 0 && index < m_items.size() && m_items[index].enabled)
        emit itemPressed(index);
}

void CustomItemSelector::setHotIndex(int index)
{
    if (index >= m_items.size() || index < 0)
        index = -1;
    if (index == m_hotIndex)
        return;
    repaintItem(m_hotIndex);
    m_hotIndex = index;
    repaintItem(index);
    setToolTip(index >= 0 ? m_items[index].hint : QString());
    emit hotChanged(index);
}

int CustomItemSelector::itemAt(const QPoint& pos) const
{
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items[i].rect.contains(pos))
            return i;
    return -1;
}

void CustomItemSelector::repaintItem(int index)
{
    if (index >= 0 && index < m_items.size())
        update(m_items[index].rect);
}

void CustomItemSelector::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(event->rect(), paletteQColor(m_background, &pal));
    const ItemAppearance& a = m_appearance;
    p.setFont(a.font);
    const QFontMetrics fm(a.font);
    for (int i = 0; i < m_items.size(); ++i) {
        const SelectorItem& item = m_items[i];
        const QRect r = item.rect;
        if (!r.intersects(event->rect()))
            continue;
        Color text = a.fontColor;
        Color behind = m_background;
        if (i == m_itemIndex) {
            paintGlossyBar(p, r,
                           {a.colorSelected, a.colorSelectedTo, a.colorMirrorSelected,
                            a.colorMirrorSelectedTo, a.borderColor, a.borderColorTop,
                            a.borderColorBottom, a.edgeColor});
            text = a.colorSelectedText;
            behind = a.colorSelected;
        } else if (i == m_hotIndex) {
            paintGlossyBar(p, r,
                           {a.colorHot, a.colorHotTo, a.colorMirrorHot, a.colorMirrorHotTo,
                            a.borderColor, a.borderColorTop, a.borderColorBottom, a.edgeColor});
            text = a.colorHotText;
            behind = a.colorHot;
        }
        if (!item.enabled)
            text = kColorGrayText;

        const int capW = fm.horizontalAdvance(item.caption);
        QRect box, caption;
        switch (m_layout) {
        case ItemLayout::CaptionLeft:
            caption = QRect(r.left() + 4, r.top() + 4, capW + 4, r.height() - 8);
            box = QRect(caption.right() + 1 + 4, r.top() + 4, m_boxWidth, m_boxHeight);
            break;
        case ItemLayout::CaptionTop:
            caption = QRect(r.left() + 4, r.top() + 4, r.width() - 8, fm.height());
            box = QRect(r.left() + (r.width() - m_boxWidth) / 2, caption.bottom() + 1 + 4,
                        m_boxWidth, m_boxHeight);
            break;
        case ItemLayout::CaptionBottom:
            box = QRect(r.left() + (r.width() - m_boxWidth) / 2, r.top() + 4, m_boxWidth,
                        m_boxHeight);
            caption = QRect(r.left() + 4, box.bottom() + 1 + 4, r.width() - 8, fm.height());
            break;
        case ItemLayout::CaptionRight:
        default:
            box = QRect(r.left() + 4, r.top() + 4, m_boxWidth, m_boxHeight);
            caption = QRect(box.right() + 1 + 4, r.top() + 4, r.right() - box.right() - 4,
                            r.height() - 8);
            break;
        }
        p.setPen(Qt::black);
        p.setBrush(item.color == kColorNone ? QBrush(Qt::NoBrush)
                                            : QBrush(paletteQColor(item.color, &pal)));
        p.drawRect(box.adjusted(0, 0, -1, -1));
        p.setPen(textQColor(text, behind, &pal));
        const int align =
            int((m_layout == ItemLayout::CaptionTop || m_layout == ItemLayout::CaptionBottom)
                    ? Qt::AlignHCenter | Qt::AlignVCenter
                    : Qt::AlignLeft | Qt::AlignVCenter);
        p.drawText(caption, align | Qt::TextSingleLine, item.caption);
    }
}

void CustomItemSelector::mouseMoveEvent(QMouseEvent* event)
{
    const int i = itemAt(event->position().toPoint());
    const int old = m_hotIndex;
    setHotIndex(i >= 0 && m_items[i].enabled ? i : -1);
    if (m_hotIndex != old)
        QToolTip::hideText(); // the hint of the new entry shows at the next hover
}

void CustomItemSelector::mousePressEvent(QMouseEvent* event)
{
    pressItem(itemAt(event->position().toPoint()));
}

void CustomItemSelector::leaveEvent(QEvent*)
{
    setHotIndex(-1);
}

ScrollingItemSelector::ScrollingItemSelector(QWidget* parent)
    : QScrollArea(parent), m_selector(new CustomItemSelector)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::NoFocus);
    setWidgetResizable(false);
    setWidget(m_selector);
}

void ScrollingItemSelector::ensureItemVisible(int index)
{
    if (index < 0 || index >= m_selector->items().size()) {
        verticalScrollBar()->setValue(0); // nothing selected: start at the top
        return;
    }
    const QRect r = m_selector->items()[index].rect;
    ensureVisible(r.center().x(), r.center().y(), 0, r.height() / 2 + 2);
}

void ScrollingItemSelector::keyPressEvent(QKeyEvent* event)
{
    event->ignore();
}
void ScrollingItemSelector::wheelEvent(QWheelEvent* event)
{
    event->ignore();
}

} // namespace tavelorn
