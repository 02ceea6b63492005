#include "comboaccessible.h"

#include "readonlytextinterface.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

#include <mutex>

namespace tavelorn {

namespace {

class ComboBoxInterface : public DropDownControlInterface
{
public:
    explicit ComboBoxInterface(QComboBox* combo) : DropDownControlInterface(combo) {}

    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }

    using ReadOnlyTextInterface::text;

    // The name stays what the host or the label gave; the value is the chosen text.
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return comboBoxValueText(combo());
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = DropDownControlInterface::state();
        s.editable = combo()->isEditable();
        return s;
    }

    // The list that drops down and, when the box takes typing, its edit.
    int childCount() const override { return (combo()->view() ? 1 : 0) + (edit() ? 1 : 0); }
    QAccessibleInterface* child(int index) const override
    {
        QAbstractItemView* view = combo()->view();
        if (view && index == 0)
            return QAccessible::queryAccessibleInterface(view);
        if (QLineEdit* e = edit(); e && index == (view ? 1 : 0))
            return QAccessible::queryAccessibleInterface(e);
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (!child)
            return -1;
        QAbstractItemView* view = combo()->view();
        if (view && child->object() == view)
            return 0;
        if (QLineEdit* e = edit(); e && child->object() == e)
            return view ? 1 : 0;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        if (QLineEdit* e = edit();
            e && e->isVisible() && QRect(e->mapToGlobal(QPoint(0, 0)), e->size()).contains(x, y))
            return QAccessible::queryAccessibleInterface(e);
        return nullptr;
    }

private:
    QString readOnlyText() const override { return comboBoxValueText(combo()); }
    bool isDroppedDown() const override { return combo()->view() && combo()->view()->isVisible(); }
    void setDroppedDown(bool down) override
    {
        if (down)
            combo()->showPopup();
        else
            combo()->hidePopup();
    }
    QLineEdit* edit() const { return combo()->isEditable() ? combo()->lineEdit() : nullptr; }
};

QAccessibleInterface* comboBoxFactory(const QString& className, QObject* object)
{
    if (object && object->isWidgetType() && className == QLatin1String("QComboBox"))
        return new ComboBoxInterface(static_cast<QComboBox*>(object));
    return nullptr;
}

} // namespace

void installComboBoxAccessibility()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(comboBoxFactory); });
}

QString comboBoxValueText(const QComboBox* combo)
{
    if (combo->isEditable() && combo->lineEdit())
        return combo->lineEdit()->text();
    return combo->currentText();
}

} // namespace tavelorn
