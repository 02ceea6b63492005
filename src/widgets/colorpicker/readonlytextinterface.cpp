#include "readonlytextinterface.h"

namespace tavelorn {

void ReadOnlyTextInterface::selection(int /*selectionIndex*/, int* startOffset,
                                      int* endOffset) const
{
    *startOffset = *endOffset = 0;
}

QString ReadOnlyTextInterface::text(int startOffset, int endOffset) const
{
    QString v = readOnlyText();
    if (startOffset < 0 || endOffset < startOffset)
        return v;
    return v.mid(startOffset, endOffset - startOffset);
}

int ReadOnlyTextInterface::characterCount() const
{
    return int(readOnlyText().size());
}

QString ReadOnlyTextInterface::attributes(int /*offset*/, int* startOffset, int* endOffset) const
{
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

void* DropDownControlInterface::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

QAccessible::State DropDownControlInterface::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.expandable = true;
    s.hasPopup = true;
    s.expanded = isDroppedDown();
    s.collapsed = !s.expanded;
    return s;
}

QStringList DropDownControlInterface::actionNames() const
{
    return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
}

void DropDownControlInterface::doAction(const QString& name)
{
    if (name == showMenuAction() || name == pressAction()) {
        setDroppedDown(!isDroppedDown());
        return;
    }
    QAccessibleWidget::doAction(name);
}

} // namespace tavelorn
