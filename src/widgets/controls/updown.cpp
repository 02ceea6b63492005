#include "updown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>

namespace tavelorn {

UpDown::UpDown(QWidget* parent)
    : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this))
{
    setFocusPolicy(Qt::NoFocus);
    for (QToolButton* b : {m_up, m_down}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setIconSize(QSize(7, 5));
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    m_up->setAccessibleName(tr("Up"));
    m_down->setAccessibleName(tr("Down"));
    m_up->setObjectName(QStringLiteral("up"));
    m_down->setObjectName(QStringLiteral("down"));
    connect(m_up, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { stepBy(-1); });
    layoutButtons();
}

void UpDown::setAssociate(QLineEdit* edit)
{
    if (m_edit)
        m_edit->removeEventFilter(this);
    m_edit = edit;
    if (m_edit)
        m_edit->installEventFilter(this);
}

void UpDown::setMinimum(int value)
{
    m_min = value;
    m_lastValid = std::clamp(m_lastValid, m_min, std::max(m_min, m_max));
}

void UpDown::setMaximum(int value)
{
    m_max = value;
    m_lastValid = std::clamp(m_lastValid, m_min, std::max(m_min, m_max));
}

int UpDown::position() const
{
    if (m_edit) {
        bool ok = false;
        const int n = m_edit->text().toInt(&ok);
        if (ok && n >= m_min && n <= m_max)
            m_lastValid = n;
    }
    return m_lastValid;
}

void UpDown::setPosition(int value)
{
    m_lastValid = std::clamp(value, m_min, std::max(m_min, m_max));
    if (m_edit)
        m_edit->setText(QString::number(m_lastValid));
}

void UpDown::stepBy(int steps)
{
    const int from = position();
    const int to = std::clamp(from + steps, m_min, std::max(m_min, m_max));
    // At either end the edit is left alone: the position does not wrap.
    if (to != from || (m_edit && m_edit->text() != QString::number(to)))
        setPosition(to);
}

bool UpDown::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            if (isEnabled())
                stepBy(key->key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UpDown::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutButtons();
}

void UpDown::layoutButtons()
{
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}

} // namespace tavelorn
