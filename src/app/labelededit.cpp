#include "labelededit.h"

#include <QEvent>
#include <QLabel>

TLabeledEdit::TLabeledEdit(QWidget* parent) : TEdit(parent), m_label(new QLabel(parent))
{
    m_label->setBuddy(this);
    placeCaption();
}

QString TLabeledEdit::caption() const
{
    return m_label->text();
}

void TLabeledEdit::setCaption(const QString& caption)
{
    m_label->setText(caption);
    placeCaption();
}

void TLabeledEdit::placeCaption()
{
    // The caption keeps its natural size so that no translation or font is clipped.
    m_label->adjustSize();
    m_label->move(x(), y() - CaptionGap - m_label->height());
}

void TLabeledEdit::moveEvent(QMoveEvent* event)
{
    TEdit::moveEvent(event);
    placeCaption();
}

void TLabeledEdit::changeEvent(QEvent* event)
{
    TEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        m_label->setEnabled(isEnabled());
    else if (event->type() == QEvent::FontChange)
        placeCaption();
}

void TLabeledEdit::showEvent(QShowEvent* event)
{
    TEdit::showEvent(event);
    m_label->setVisible(true);
}

void TLabeledEdit::hideEvent(QHideEvent* event)
{
    TEdit::hideEvent(event);
    if (!isVisibleTo(parentWidget()))
        m_label->setVisible(false);
}
