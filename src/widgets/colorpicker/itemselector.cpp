#include "itemselector.h"

#include "pickeraccessible.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

using namespace ColorPicker;
using namespace tavelorn;

struct TCustomItemSelector::Private
{
    QList<TSelectorItem> items;
    int columns = 1;
    TItemLayout layout = ilCaptionRight;
    int boxWidth = 14;
    int boxHeight = 14;
    Color background = makeColor(255, 255, 255);
    TItemAppearance appearance;
    QSize itemSize;
    int itemIndex = -1;
    int hotIndex = -1;
};

TCustomItemSelector::TCustomItemSelector(QWidget* parent)
    : QWidget(parent), d(std::make_unique<Private>())
{
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

TCustomItemSelector::~TCustomItemSelector() = default;

void TCustomItemSelector::setItems(const QList<TSelectorItem>& items)
{
    d->items = items;
    d->itemIndex = -1;
    d->hotIndex = -1;
    LayoutItems();
}

const QList<TSelectorItem>& TCustomItemSelector::Items() const
{
    return d->items;
}

void TCustomItemSelector::setColumns(int columns)
{
    d->columns = qMax(1, columns);
}
int TCustomItemSelector::Columns() const
{
    return d->columns;
}
void TCustomItemSelector::setItemLayout(TItemLayout layout)
{
    d->layout = layout;
}

void TCustomItemSelector::setColorBox(int width, int height)
{
    d->boxWidth = width;
    d->boxHeight = height;
}

void TCustomItemSelector::setBackgroundColor(Color c)
{
    d->background = c;
    update();
}

void TCustomItemSelector::setAppearance(const TItemAppearance& a)
{
    d->appearance = a;
    update();
}

QSize TCustomItemSelector::ItemSize() const
{
    return d->itemSize;
}

void TCustomItemSelector::LayoutItems()
{
    const QFontMetrics fm(d->appearance.Font);
    int widest = 0;
    int tallest = 0;
    for (const TSelectorItem& item : d->items) {
        widest = qMax(widest, fm.horizontalAdvance(item.Caption));
        tallest = qMax(tallest, fm.height());
    }
    int w, h;
    if (d->layout == ilCaptionTop || d->layout == ilCaptionBottom) {
        w = 4 + qMax(d->boxWidth, widest + 4) + 4;
        h = d->boxHeight + 4 + tallest + 8;
    } else {
        w = 4 + d->boxWidth + 4 + (widest + 4) + 4;
        h = qMax(d->boxHeight, tallest) + 8;
    }
    d->itemSize = QSize(w, h);
    const int cols = d->columns;
    for (int i = 0; i < d->items.size(); ++i)
        d->items[i].Rect = QRect(2 + (i % cols) * w, 2 + (i / cols) * h, w, h);
    const int rows = (int(d->items.size()) + cols - 1) / cols;
    const int usedCols = qMin(cols, qMax(1, int(d->items.size())));
    resize(2 + usedCols * w + 2, 2 + rows * h + 2);
    update();
}

int TCustomItemSelector::ItemIndex() const
{
    return d->itemIndex;
}

void TCustomItemSelector::setItemIndex(int index)
{
    if (index >= d->items.size() || index < 0)
        index = -1;
    if (index == d->itemIndex)
        return;
    repaintItem(d->itemIndex);
    d->itemIndex = index;
    repaintItem(index);
    NotifyPickerEntryCurrent(this, index);
}

void TCustomItemSelector::PressItem(int index)
{
    if (index >= 0 && index < d->items.size() && d->items[index].Enabled)
        emit itemPressed(index);
}

int TCustomItemSelector::HotIndex() const
{
    return d->hotIndex;
}

void TCustomItemSelector::setHotIndex(int index)
{
    if (index >= d->items.size() || index < 0)
        index = -1;
    if (index == d->hotIndex)
        return;
    repaintItem(d->hotIndex);
    d->hotIndex = index;
    repaintItem(index);
    setToolTip(index >= 0 ? d->items[index].Hint : QString());
    emit hotChanged(index);
}

int TCustomItemSelector::ItemAt(const QPoint& pos) const
{
    for (int i = 0; i < d->items.size(); ++i)
        if (d->items[i].Rect.contains(pos))
            return i;
    return -1;
}

void TCustomItemSelector::repaintItem(int index)
{
    if (index >= 0 && index < d->items.size())
        update(d->items[index].Rect);
}

void TCustomItemSelector::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(event->rect(), toQColor(d->background, &pal));
    const TItemAppearance& a = d->appearance;
    p.setFont(a.Font);
    const QFontMetrics fm(a.Font);
    for (int i = 0; i < d->items.size(); ++i) {
        const TSelectorItem& item = d->items[i];
        const QRect r = item.Rect;
        if (!r.intersects(event->rect()))
            continue;
        Color text = a.FontColor;
        Color behind = d->background;
        if (i == d->itemIndex) {
            paintGlossyBar(p, r,
                           {a.ColorSelected, a.ColorSelectedTo, a.ColorMirrorSelected,
                            a.ColorMirrorSelectedTo, a.BorderColor, a.BorderColorTop,
                            a.BorderColorBottom, a.EdgeColor});
            text = a.ColorSelectedText;
            behind = a.ColorSelected;
        } else if (i == d->hotIndex) {
            paintGlossyBar(p, r,
                           {a.ColorHot, a.ColorHotTo, a.ColorMirrorHot, a.ColorMirrorHotTo,
                            a.BorderColor, a.BorderColorTop, a.BorderColorBottom, a.EdgeColor});
            text = a.ColorHotText;
            behind = a.ColorHot;
        }
        if (!item.Enabled)
            text = kColorGrayText;

        const int capW = fm.horizontalAdvance(item.Caption);
        QRect box, caption;
        switch (d->layout) {
        case ilCaptionLeft:
            caption = QRect(r.left() + 4, r.top() + 4, capW + 4, r.height() - 8);
            box = QRect(caption.right() + 1 + 4, r.top() + 4, d->boxWidth, d->boxHeight);
            break;
        case ilCaptionTop:
            caption = QRect(r.left() + 4, r.top() + 4, r.width() - 8, fm.height());
            box = QRect(r.left() + (r.width() - d->boxWidth) / 2, caption.bottom() + 1 + 4,
                        d->boxWidth, d->boxHeight);
            break;
        case ilCaptionBottom:
            box = QRect(r.left() + (r.width() - d->boxWidth) / 2, r.top() + 4, d->boxWidth,
                        d->boxHeight);
            caption = QRect(r.left() + 4, box.bottom() + 1 + 4, r.width() - 8, fm.height());
            break;
        case ilCaptionRight:
        default:
            box = QRect(r.left() + 4, r.top() + 4, d->boxWidth, d->boxHeight);
            caption = QRect(box.right() + 1 + 4, r.top() + 4, r.right() - box.right() - 4,
                            r.height() - 8);
            break;
        }
        p.setPen(Qt::black);
        p.setBrush(item.Color == kColorNone ? QBrush(Qt::NoBrush)
                                            : QBrush(toQColor(item.Color, &pal)));
        p.drawRect(box.adjusted(0, 0, -1, -1));
        p.setPen(textQColor(text, behind, &pal));
        const int align = int((d->layout == ilCaptionTop || d->layout == ilCaptionBottom)
                                  ? Qt::AlignHCenter | Qt::AlignVCenter
                                  : Qt::AlignLeft | Qt::AlignVCenter);
        p.drawText(caption, align | Qt::TextSingleLine, item.Caption);
    }
}

void TCustomItemSelector::mouseMoveEvent(QMouseEvent* event)
{
    const int i = ItemAt(event->position().toPoint());
    const int old = d->hotIndex;
    setHotIndex(i >= 0 && d->items[i].Enabled ? i : -1);
    if (d->hotIndex != old)
        QToolTip::hideText(); // the hint of the new entry shows at the next hover
}

void TCustomItemSelector::mousePressEvent(QMouseEvent* event)
{
    PressItem(ItemAt(event->position().toPoint()));
}

void TCustomItemSelector::leaveEvent(QEvent*)
{
    setHotIndex(-1);
}

TScrollingItemSelector::TScrollingItemSelector(QWidget* parent)
    : QScrollArea(parent), FSelector(new TCustomItemSelector)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::NoFocus);
    setWidgetResizable(false);
    setWidget(FSelector);
}

void TScrollingItemSelector::ensureItemVisible(int index)
{
    if (index < 0 || index >= FSelector->Items().size()) {
        verticalScrollBar()->setValue(0); // nothing selected: start at the top
        return;
    }
    const QRect r = FSelector->Items()[index].Rect;
    ensureVisible(r.center().x(), r.center().y(), 0, r.height() / 2 + 2);
}

void TScrollingItemSelector::keyPressEvent(QKeyEvent* event)
{
    event->ignore();
}
void TScrollingItemSelector::wheelEvent(QWheelEvent* event)
{
    event->ignore();
}
