#include "labelededit.h"

#include <QEvent>
#include <QLabel>

namespace tavelorn {

LabeledEdit::LabeledEdit(QWidget* parent) : LineEdit(parent), m_label(new QLabel(parent))
{
    m_label->setBuddy(this);
    placeCaption();
}

QString LabeledEdit::caption() const
{
    return m_label->text();
}

void LabeledEdit::setCaption(const QString& caption)
{
    m_label->setText(caption);
    placeCaption();
}

void LabeledEdit::placeCaption()
{
    // The caption keeps its natural size so that no translation or font is clipped.
    m_label->adjustSize();
    m_label->move(x(), y() - kCaptionGap - m_label->height());
}

void LabeledEdit::moveEvent(QMoveEvent* event)
{
    LineEdit::moveEvent(event);
    placeCaption();
}

void LabeledEdit::changeEvent(QEvent* event)
{
    LineEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        m_label->setEnabled(isEnabled());
    else if (event->type() == QEvent::FontChange)
        placeCaption();
}

void LabeledEdit::showEvent(QShowEvent* event)
{
    LineEdit::showEvent(event);
    m_label->setVisible(true);
}

void LabeledEdit::hideEvent(QHideEvent* event)
{
    LineEdit::hideEvent(event);
    if (!isVisibleTo(parentWidget()))
        m_label->setVisible(false);
}

} // namespace tavelorn
