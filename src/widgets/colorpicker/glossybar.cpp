#include "glossybar.h"

#include <QLinearGradient>
#include <QPainter>

namespace tavelorn {

QFont ItemAppearance::defaultFont()
{
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(11);
    return f;
}

void fillVerticalGradient(QPainter& p, const QRect& r, const QColor& from, const QColor& to)
{
    if (r.isEmpty())
        return;
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, from);
    g.setColorAt(1, to);
    p.fillRect(r, g);
}

void paintGlossyBar(QPainter& p, const QRect& r, const GlossyColors& c)
{
    if (r.width() < 4 || r.height() < 4)
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    const QRect inner = r.adjusted(1, 1, -1, -1);
    const int mid = inner.top() + inner.height() / 2;
    const QRect upper(inner.left(), inner.top(), inner.width(), mid - inner.top());
    const QRect lower(inner.left(), mid, inner.width(), inner.bottom() - mid + 1);
    fillVerticalGradient(p, upper, paletteQColor(c.top), paletteQColor(c.topTo));
    fillVerticalGradient(p, lower, paletteQColor(c.mirror), paletteQColor(c.mirrorTo));

    // Light inner lines: the top one along the glossy half, the bottom one along the
    // mirrored half, a little transparent so the gradient shows through at the sides.
    if (c.borderTop != kColorNone) {
        QColor top = paletteQColor(c.borderTop);
        p.setPen(top);
        p.drawLine(inner.left() + 1, inner.top(), inner.right() - 1, inner.top());
        top.setAlpha(150);
        p.setPen(top);
        p.drawLine(inner.left(), inner.top() + 1, inner.left(), mid - 1);
        p.drawLine(inner.right(), inner.top() + 1, inner.right(), mid - 1);
    }
    if (c.borderBottom != kColorNone) {
        QColor bottom = paletteQColor(c.borderBottom);
        p.setPen(bottom);
        p.drawLine(inner.left() + 1, inner.bottom(), inner.right() - 1, inner.bottom());
        bottom.setAlpha(150);
        p.setPen(bottom);
        p.drawLine(inner.left(), mid, inner.left(), inner.bottom() - 1);
        p.drawLine(inner.right(), mid, inner.right(), inner.bottom() - 1);
    }

    // The frame, its corner pixels left out so the corners read as rounded.
    if (c.border != kColorNone) {
        p.setPen(paletteQColor(c.border));
        p.drawLine(r.left() + 2, r.top(), r.right() - 2, r.top());
        p.drawLine(r.left() + 2, r.bottom(), r.right() - 2, r.bottom());
        p.drawLine(r.left(), r.top() + 2, r.left(), r.bottom() - 2);
        p.drawLine(r.right(), r.top() + 2, r.right(), r.bottom() - 2);
        p.drawPoint(r.left() + 1, r.top() + 1);
        p.drawPoint(r.right() - 1, r.top() + 1);
        p.drawPoint(r.left() + 1, r.bottom() - 1);
        p.drawPoint(r.right() - 1, r.bottom() - 1);
    }
    if (c.edge != kColorNone) {
        p.setPen(paletteQColor(c.edge));
        for (const QPoint& pt :
             {QPoint(r.left() + 1, r.top()), QPoint(r.left(), r.top() + 1),
              QPoint(r.right() - 1, r.top()), QPoint(r.right(), r.top() + 1),
              QPoint(r.left() + 1, r.bottom()), QPoint(r.left(), r.bottom() - 1),
              QPoint(r.right() - 1, r.bottom()), QPoint(r.right(), r.bottom() - 1)})
            p.drawPoint(pt);
    }
    p.restore();
}

} // namespace tavelorn
