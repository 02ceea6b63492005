#include "clicklabel.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <mutex>

namespace tavelorn {

namespace {

// To a screen reader the label is a button that can be pressed, not static text.
class ClickLabelInterface : public QAccessibleWidget
{
public:
    explicit ClickLabelInterface(ClickLabel* label) : QAccessibleWidget(label, QAccessible::Button)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        QString s = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && s.isEmpty())
            s = static_cast<QLabel*>(widget())->text();
        return s;
    }
    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override
    {
        if (name == pressAction())
            static_cast<ClickLabel*>(widget())->click();
        else
            QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface* clickLabelFactory(const QString& className, QObject* object)
{
    if (object && object->isWidgetType() &&
        className == QLatin1String(ClickLabel::staticMetaObject.className()))
        return new ClickLabelInterface(static_cast<ClickLabel*>(object));
    return nullptr;
}

} // namespace

ClickLabel::ClickLabel(QWidget* parent) : QLabel(parent)
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(clickLabelFactory); });
    setCursor(Qt::PointingHandCursor);
}

void ClickLabel::click()
{
    if (isEnabled())
        emit clicked();
}

void ClickLabel::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    // Like a button: the click counts only when released over the label.
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

void ClickLabel::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (event->modifiers() == Qt::NoModifier &&
        (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        click();
        return;
    }
    QLabel::keyPressEvent(event);
}

void ClickLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // In the text's own colour: the label may stand on a background the program draws.
    QPainter p(this);
    p.setPen(QPen(palette().color(foregroundRole()), 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace tavelorn
