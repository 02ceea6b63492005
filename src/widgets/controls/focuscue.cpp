#include "focuscue.h"

#include <QEvent>
#include <QPainter>

namespace tavelorn {

FocusCue::FocusCue(QWidget* target) : QWidget(target), m_target(target)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    target->installEventFilter(this);
    setGeometry(target->rect());
    hide();
}

bool FocusCue::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_target) {
        switch (event->type()) {
        case QEvent::FocusIn:
            setGeometry(m_target->rect());
            raise();
            show();
            break;
        case QEvent::FocusOut:
            hide();
            break;
        case QEvent::Resize:
            setGeometry(m_target->rect());
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FocusCue::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QPen pen(palette().color(QPalette::Active, QPalette::Highlight), 2);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

} // namespace tavelorn
